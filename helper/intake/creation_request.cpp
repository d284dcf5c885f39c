#include "helper/intake/creation_request.h"

#include "shared/identifiers.h"

#include <algorithm>
#include <cctype>

namespace quillet::helper {

std::variant<CreationRequest, MalformedRequest> readCreationRequest(const std::string& url) {
    const std::string scheme = std::string(ids::kUrlScheme) + ":";
    bool schemeMatches = url.size() >= scheme.size() &&
                         std::equal(scheme.begin(), scheme.end(), url.begin(), [](char a, char b) {
                             return std::tolower(static_cast<unsigned char>(a)) ==
                                    std::tolower(static_cast<unsigned char>(b));
                         });
    if (!schemeMatches) {
        return MalformedRequest{"The request is not a quillet: URL."};
    }
    std::string rest = url.substr(scheme.size());
    if (rest.starts_with("//")) {
        std::size_t end = rest.find_first_of("/?#", 2);
        if (end != 2) {
            return MalformedRequest{"The request names a host instead of a folder."};
        }
    }
    auto parsed = parseRequestURL(url);
    if (!parsed || !parsed->folderPath.starts_with("/")) {
        return MalformedRequest{"The request does not name an absolute folder path."};
    }
    if (parsed->folderPath.find('\0') != std::string::npos) {
        return MalformedRequest{"The request's folder path is not valid."};
    }
    return *parsed;
}

} // namespace quillet::helper
