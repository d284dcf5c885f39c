#include "file_uri.h"

#include "request_url.h"

#include <algorithm>
#include <cctype>

namespace quillet {

namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

Error notALocalFile(std::string_view uri) {
    return Error::withDetail("read the file URL", std::string(uri),
                             "not the URL of a file on this computer");
}

} // namespace

Expected<std::string> localPathFromFileURI(std::string_view uri, std::string_view hostName) {
    constexpr std::string_view kScheme = "file:";
    if (uri.size() < kScheme.size() ||
        !equalsIgnoringCase(uri.substr(0, kScheme.size()), kScheme)) {
        return notALocalFile(uri);
    }
    std::string_view rest = uri.substr(kScheme.size());
    if (startsWith(rest, "//")) {
        rest.remove_prefix(2);
        const auto slash = rest.find('/');
        if (slash == std::string_view::npos) {
            return notALocalFile(uri);
        }
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !equalsIgnoringCase(host, "localhost") &&
            (hostName.empty() || !equalsIgnoringCase(host, hostName))) {
            return notALocalFile(uri);
        }
        rest.remove_prefix(slash);
    }
    rest = rest.substr(0, rest.find_first_of("?#"));
    if (rest.empty() || rest.front() != '/') {
        return notALocalFile(uri);
    }
    return percentDecode(rest);
}

Expected<std::string> pathFromLocation(std::string_view text) {
    if (startsWith(text, "file://")) {
        return localPathFromFileURI(text);
    }
    return std::string(text);
}

bool hasURIScheme(std::string_view text) {
    const auto end = text.find("://");
    if (end == std::string_view::npos || end == 0 ||
        !std::isalpha(static_cast<unsigned char>(text.front()))) {
        return false;
    }
    return std::all_of(
        text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end),
        [](unsigned char c) { return std::isalnum(c) || c == '+' || c == '-' || c == '.'; });
}

} // namespace quillet
