#include "app/core/preferences/mnemonics.h"

#include <optional>
#include <set>

namespace quillet::app {

namespace {

// Only ASCII letters: every keyboard layout the desktop offers can type them
// with Alt, and a byte of a multi-byte character is never one.
bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::optional<std::size_t> freeLetter(const std::string& label, const std::set<char>& taken) {
    std::optional<std::size_t> anywhere;
    for (std::size_t i = 0; i < label.size(); ++i) {
        if (!isLetter(label[i]) || taken.count(lower(label[i])) != 0) {
            continue;
        }
        if (i == 0 || label[i - 1] == ' ') {
            return i;
        }
        if (!anywhere) {
            anywhere = i;
        }
    }
    return anywhere;
}

} // namespace

std::vector<std::string> withMnemonics(const std::vector<std::string>& labels,
                                       const std::string& reserved) {
    std::set<char> taken;
    for (char c : reserved) {
        taken.insert(lower(c));
    }
    std::vector<std::string> marked;
    marked.reserve(labels.size());
    for (const std::string& label : labels) {
        const std::optional<std::size_t> key = freeLetter(label, taken);
        std::string text;
        for (std::size_t i = 0; i < label.size(); ++i) {
            if (key && i == *key) {
                text += '&';
                taken.insert(lower(label[i]));
            }
            text += label[i];
            if (label[i] == '&') {
                text += '&';
            }
        }
        marked.push_back(std::move(text));
    }
    return marked;
}

} // namespace quillet::app
