#include "localized_strings.h"

#include "keys.h"
#include "settings_store.h"

namespace quillet {

std::string localizedStringForKey(const SettingsStore& store, const std::string& key,
                                  const Translator& translate) {
    // Read afresh every time: the user may have just edited the overrides.
    if (auto table = store.dictionaryForKey(keys::kLocalizedStrings)) {
        if (auto it = table->find(key); it != table->end()) {
            if (const std::string* s = it->second.asString(); s && !s->empty()) {
                return *s;
            }
        }
    }
    return translate ? translate(key) : key;
}

std::string formatWithTitle(const std::string& pattern, const std::string& title) {
    std::string out;
    out.reserve(pattern.size() + title.size());
    bool used = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c != '%' || i + 1 == pattern.size()) {
            out += c;
            continue;
        }
        char next = pattern[i + 1];
        if (next == '%') {
            out += '%';
            ++i;
        } else if (next == '@') {
            if (!used) {
                out += title;
                used = true;
            }
            ++i;
        } else if (pattern.compare(i, 4, "%1$@") == 0) {
            if (!used) {
                out += title;
                used = true;
            }
            i += 3;
        } else {
            // Any other conversion has no argument to read; show it as typed.
            out += c;
        }
    }
    return out;
}

} // namespace quillet
