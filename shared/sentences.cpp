#include "shared/sentences.h"

#include <string_view>

namespace quillet {

std::string joinSentences(const std::string& first, const std::string& second) {
    // The ideographic full stop and comma, and the full-width forms of
    // "!", ")", ",", ".", ":", ";", "?" that close CJK sentences, in UTF-8.
    constexpr std::string_view kFullWidthEnds[] = {"\u3002", "\u3001", "\uFF01", "\uFF09",
                                                   "\uFF0C", "\uFF0E", "\uFF1A", "\uFF1B",
                                                   "\uFF1F", "\u300D", "\u300F"};
    std::string joined = first;
    bool spaced = !first.empty() && !second.empty();
    for (std::string_view end : kFullWidthEnds) {
        if (std::string_view(first).ends_with(end)) {
            spaced = false;
        }
    }
    if (spaced) {
        joined += ' ';
    }
    joined += second;
    return joined;
}

} // namespace quillet
