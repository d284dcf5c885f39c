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

} // namespace

std::optional<std::string> localPathFromFileURI(std::string_view uri, std::string_view hostName) {
    constexpr std::string_view kScheme = "file:";
    if (uri.size() < kScheme.size() ||
        !equalsIgnoringCase(uri.substr(0, kScheme.size()), kScheme)) {
        return std::nullopt;
    }
    std::string_view rest = uri.substr(kScheme.size());
    if (startsWith(rest, "//")) {
        rest.remove_prefix(2);
        const auto slash = rest.find('/');
        if (slash == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !equalsIgnoringCase(host, "localhost") &&
            (hostName.empty() || !equalsIgnoringCase(host, hostName))) {
            return std::nullopt;
        }
        rest.remove_prefix(slash);
    }
    rest = rest.substr(0, rest.find_first_of("?#"));
    if (rest.empty() || rest.front() != '/') {
        return std::nullopt;
    }
    return percentDecode(rest);
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
