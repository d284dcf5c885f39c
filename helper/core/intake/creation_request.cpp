#include "helper/core/intake/creation_request.h"

#include "shared/identifiers.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>

namespace quillet::helper {

namespace {

// "." and ".." would be resolved differently by the kernel and by URI
// normalisers on the way here; a folder chosen in a file manager has neither.
bool hasDotComponent(std::string_view path) {
    while (!path.empty()) {
        const auto slash = path.find('/');
        const std::string_view part = path.substr(0, slash);
        if (part == "." || part == "..") {
            return true;
        }
        if (slash == std::string_view::npos) {
            break;
        }
        path.remove_prefix(slash + 1);
    }
    return false;
}

// The query of the URL, when it has one: between the first "?" and "#".
std::optional<std::string_view> queryOf(std::string_view url) {
    url = url.substr(0, url.find('#'));
    const auto question = url.find('?');
    if (question == std::string_view::npos) {
        return std::nullopt;
    }
    return url.substr(question + 1);
}

Error malformed(const char* reason) {
    return Error::withDetail("read the request", {}, reason);
}

} // namespace

Expected<CreationRequest> readCreationRequest(const std::string& url) {
    const std::string scheme = std::string(ids::kUrlScheme) + ":";
    bool schemeMatches = url.size() >= scheme.size() &&
                         std::equal(scheme.begin(), scheme.end(), url.begin(), [](char a, char b) {
                             return std::tolower(static_cast<unsigned char>(a)) ==
                                    std::tolower(static_cast<unsigned char>(b));
                         });
    if (!schemeMatches) {
        return malformed("The request is not a quillet: URL.");
    }
    std::string rest = url.substr(scheme.size());
    if (rest.starts_with("//")) {
        std::size_t end = rest.find_first_of("/?#", 2);
        if (end != 2) {
            return malformed("The request names a host instead of a folder.");
        }
    }
    // The index is a template's decimal position and nothing else: "1x",
    // " 1", "+1" or "" would otherwise be read as some template.
    if (const auto query = queryOf(url);
        query && (query->empty() || !std::all_of(query->begin(), query->end(),
                                                 [](char c) { return c >= '0' && c <= '9'; }))) {
        return malformed("The request's template index is not a number.");
    }
    auto parsed = parseRequestURL(url);
    if (!parsed || !parsed->folderPath.starts_with("/")) {
        return malformed("The request does not name an absolute folder path.");
    }
    // No folder has a longer path; anything longer is refused before any
    // file-system work is spent on it.
    if (parsed->folderPath.size() > kMaxFolderPathLength) {
        return malformed("The request's folder path is too long.");
    }
    if (parsed->folderPath.find('\0') != std::string::npos || hasDotComponent(parsed->folderPath)) {
        return malformed("The request's folder path is not valid.");
    }
    return *parsed;
}

} // namespace quillet::helper
