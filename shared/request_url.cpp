#include "request_url.h"

#include "identifiers.h"

#include <cctype>

namespace quillet {

namespace {

// ASCII tests of our own: <cctype> follows the locale, and inside a file
// manager running in a single-byte locale bytes of UTF-8 letters would pass.
bool isAsciiAlpha(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isAsciiDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool isAsciiSpace(unsigned char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool staysInPath(unsigned char c) {
    if (isAsciiAlpha(c) || isAsciiDigit(c)) {
        return true;
    }
    switch (c) {
    case '/':
    case '-':
    case '.':
    case '_':
    case '~':
    case '!':
    case '$':
    case '&':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '+':
    case ',':
    case ';':
    case '=':
    case ':':
    case '@':
        return true;
    default:
        return false;
    }
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

std::string percentEncodePath(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (char ch : path) {
        auto c = static_cast<unsigned char>(ch);
        if (staysInPath(c)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string percentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int hi = hexValue(text[i + 1]);
            int lo = hexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string makeRequestURL(const std::string& folderPath, std::uint64_t index) {
    return std::string(ids::kUrlScheme) + "://" + percentEncodePath(folderPath) + "?" +
           std::to_string(index);
}

std::int64_t integerValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isAsciiSpace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint64_t value = 0;
    bool overflow = false;
    for (; i < text.size() && isAsciiDigit(static_cast<unsigned char>(text[i])); ++i) {
        if (value > (static_cast<std::uint64_t>(INT64_MAX) + 1 - (text[i] - '0')) / 10) {
            overflow = true;
            continue;
        }
        value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
    }
    if (overflow || value > static_cast<std::uint64_t>(INT64_MAX) + (negative ? 1 : 0)) {
        return negative ? INT64_MIN : INT64_MAX;
    }
    if (negative) {
        return value == static_cast<std::uint64_t>(INT64_MAX) + 1
                   ? INT64_MIN
                   : -static_cast<std::int64_t>(value);
    }
    return static_cast<std::int64_t>(value);
}

Expected<CreationRequest> parseRequestURL(std::string_view url) {
    const auto notAURL = [url] {
        return Error::withDetail("read the request", std::string(url), "not a URL");
    };
    // scheme ":" [ "//" authority ] path [ "?" query ] [ "#" fragment ]
    std::size_t colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0 ||
        !isAsciiAlpha(static_cast<unsigned char>(url[0]))) {
        return notAURL();
    }
    for (std::size_t i = 1; i < colon; ++i) {
        auto c = static_cast<unsigned char>(url[i]);
        if (!isAsciiAlpha(c) && !isAsciiDigit(c) && c != '+' && c != '-' && c != '.') {
            return notAURL();
        }
    }
    std::string_view rest = url.substr(colon + 1);
    if (std::size_t hash = rest.find('#'); hash != std::string_view::npos) {
        rest = rest.substr(0, hash);
    }
    std::string_view query;
    bool hasQuery = false;
    if (std::size_t q = rest.find('?'); q != std::string_view::npos) {
        query = rest.substr(q + 1);
        hasQuery = true;
        rest = rest.substr(0, q);
    }
    if (rest.starts_with("//")) {
        std::size_t slash = rest.find('/', 2);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    }
    CreationRequest request;
    request.folderPath = percentDecode(rest);
    request.index = hasQuery ? integerValue(query) : 0;
    return request;
}

} // namespace quillet
