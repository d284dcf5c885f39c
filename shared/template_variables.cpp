#include "template_variables.h"

#include "xdg_paths.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace quillet {

namespace {

std::string twoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

std::string fourDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d", value);
    return text;
}

std::string isoDate(const LocalTime& t) {
    return fourDigits(t.year) + "-" + twoDigits(t.month) + "-" + twoDigits(t.day);
}

// No colon: a name with one cannot be copied to every file system.
std::string hourMinute(const LocalTime& t) {
    return twoDigits(t.hour) + "-" + twoDigits(t.minute);
}

std::optional<std::string> valueOf(std::string_view name, const VariableContext& context) {
    const LocalTime& now = context.now;
    if (name == "date") {
        return isoDate(now);
    }
    if (name == "time") {
        return hourMinute(now);
    }
    if (name == "datetime") {
        return isoDate(now) + " " + hourMinute(now);
    }
    if (name == "year") {
        return fourDigits(now.year);
    }
    if (name == "month") {
        return twoDigits(now.month);
    }
    if (name == "day") {
        return twoDigits(now.day);
    }
    const std::string folder = paths::withoutTrailingSlashes(context.folder);
    if (name == "folder") {
        return paths::lastPathComponent(folder);
    }
    if (name == "parent") {
        return paths::lastPathComponent(paths::deletingLastPathComponent(folder));
    }
    if (name == "user") {
        return context.user;
    }
    return std::nullopt;
}

// Walks the text once: literal runs and escapes go to `out`; each "{name}"
// is handed to `variable`, whose answer replaces it, or which leaves it as it
// is by answering nothing. A "{" without its "}" before the next "{" is a
// literal brace.
std::string scan(std::string_view text,
                 const std::function<std::optional<std::string>(std::string_view)>& variable) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if ((c == '{' || c == '}') && i + 1 < text.size() && text[i + 1] == c) {
            out.push_back(c);
            i += 2;
            continue;
        }
        if (c == '{') {
            const std::size_t close = text.find_first_of("{}", i + 1);
            if (close != std::string_view::npos && text[close] == '}') {
                const std::string_view name = text.substr(i + 1, close - i - 1);
                if (auto value = variable(name)) {
                    out += *value;
                } else {
                    out.append(text.substr(i, close - i + 1));
                }
                i = close + 1;
                continue;
            }
        }
        out.push_back(c);
        ++i;
    }
    return out;
}

// The length of the UTF-8 sequence that starts at `i`, or 0 when the bytes
// there are not one (overlong forms, surrogates and values beyond U+10FFFF
// included, as the standard says).
std::size_t utf8SequenceLength(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > s.size() || byte(i + 1) < low || byte(i + 1) > high) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) {
            return 0;
        }
    }
    return length;
}

std::string userName() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
        // The full name is the first comma-separated field of the comment.
        std::string gecos = found->pw_gecos ? found->pw_gecos : "";
        gecos = gecos.substr(0, gecos.find(','));
        if (!gecos.empty()) {
            return gecos;
        }
    }
    return paths::loginName();
}

} // namespace

VariableContext VariableContext::at(const std::string& folder) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return VariableContext{
        .now = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min},
        .folder = folder,
        .user = userName(),
    };
}

std::string expandVariables(std::string_view text, const VariableContext& context) {
    return scan(text, [&](std::string_view name) { return valueOf(name, context); });
}

std::vector<std::string> unknownVariables(std::string_view text) {
    std::vector<std::string> unknown;
    const VariableContext any;
    (void)scan(text, [&](std::string_view name) {
        auto value = valueOf(name, any);
        if (!value && std::find(unknown.begin(), unknown.end(), name) == unknown.end()) {
            unknown.emplace_back(name);
        }
        return value;
    });
    return unknown;
}

bool isExpandableText(std::string_view content) {
    if (content.size() > kMaxExpandedTextBytes) {
        return false;
    }
    for (std::size_t i = 0; i < content.size();) {
        const std::size_t length = utf8SequenceLength(content, i);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string expandedPrefix(const std::string& prefix, const std::string& suffix,
                           const VariableContext& context) {
    const std::string expanded = expandVariables(prefix, context);
    const std::size_t nameBytes = expanded.size() + (suffix.empty() ? 0 : suffix.size() + 1);
    if (expanded.empty() || expanded == "." || expanded == ".." ||
        expanded.find_first_of(std::string_view("/\0", 2)) != std::string::npos ||
        nameBytes > NAME_MAX) {
        return prefix;
    }
    return expanded;
}

} // namespace quillet
