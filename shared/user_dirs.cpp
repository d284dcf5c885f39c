#include "user_dirs.h"

#include "xdg_paths.h"

#include <sstream>

namespace quillet::paths {

std::string desktopDirFromUserDirs(std::string_view text, const std::string& homeDir) {
    std::istringstream in{std::string(text)};
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_DESKTOP_DIR=";
        auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0) {
            continue;
        }
        std::string value = line.substr(start + key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.starts_with("$HOME")) {
            value = homeDir + value.substr(5);
        } else if (!value.starts_with("/")) {
            continue;
        }
        return standardizedPath(value);
    }
    return {};
}

} // namespace quillet::paths
