#include "user_dirs.h"

#include "xdg_paths.h"

#include <string_view>

namespace quillet::paths {

std::string userDirectory(std::string_view userDirsText, std::string_view key,
                          const std::string& home) {
    std::string found;
    // Line by line, without a string stream: the helper links no iostreams.
    std::string_view text = userDirsText;
    while (!text.empty()) {
        const auto lineEnd = text.find('\n');
        std::string_view rest = text.substr(0, lineEnd);
        text = lineEnd == std::string_view::npos ? std::string_view() : text.substr(lineEnd + 1);
        const auto skipBlanks = [&rest] {
            while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) {
                rest.remove_prefix(1);
            }
        };
        skipBlanks();
        if (!rest.starts_with(key)) {
            continue;
        }
        rest.remove_prefix(key.size());
        skipBlanks();
        if (!rest.starts_with('=')) {
            continue;
        }
        rest.remove_prefix(1);
        skipBlanks();
        // The tool always quotes; an unquoted value is taken up to the line's
        // end, as this reader always did for the desktop.
        const bool quoted = rest.starts_with('"');
        if (quoted) {
            rest.remove_prefix(1);
        }
        std::string value;
        if (rest.starts_with("$HOME")) {
            rest.remove_prefix(5);
            if (!rest.empty() && rest.front() != '/' && rest.front() != '"') {
                continue; // "$HOMEWORK" is not below the home folder
            }
            value = home;
        } else if (!rest.starts_with('/')) {
            continue;
        }
        while (!rest.empty() && !(quoted && rest.front() == '"')) {
            if (rest.front() == '\\' && rest.size() > 1) {
                rest.remove_prefix(1);
            }
            value.push_back(rest.front());
            rest.remove_prefix(1);
        }
        if (!quoted) {
            while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
                value.pop_back();
            }
        }
        found = standardizedPath(value);
    }
    return found;
}

} // namespace quillet::paths
