#include "helper/core/shortcuts/hot_key_binding.h"

#include "shared/keys.h"

#include <charconv>
#include <memory>

namespace quillet::helper {

namespace {
constexpr std::string_view kIdentifierPrefix = "shortcut";
} // namespace

std::string hotKeyIdentifier(std::int64_t index) {
    return std::string(kIdentifierPrefix) + std::to_string(index);
}

std::optional<std::int64_t> indexFromHotKeyIdentifier(const std::string& identifier) {
    if (!identifier.starts_with(kIdentifierPrefix)) {
        return std::nullopt;
    }
    const char* first = identifier.data() + kIdentifierPrefix.size();
    const char* last = identifier.data() + identifier.size();
    std::int64_t index = 0;
    auto [end, error] = std::from_chars(first, last, index);
    if (error != std::errc() || end != last || first == last) {
        return std::nullopt;
    }
    return index;
}

void bindHotKeys(HotKeyCenter& center, const Value::Array& templates,
                 const std::function<void(std::int64_t index)>& pressed) {
    // A snapshot: unregistering does not disturb the loop.
    for (const auto& hotKey : center.allHotKeys()) {
        center.unregisterHotKey(hotKey);
    }
    for (std::size_t i = 0; i < templates.size(); ++i) {
        const Value* shortcut = templates[i].find(keys::kShortcut);
        if (shortcut == nullptr || !shortcut->isDictionary()) {
            continue;
        }
        auto hotKey = std::make_shared<HotKey>();
        hotKey->identifier = hotKeyIdentifier(static_cast<std::int64_t>(i));
        hotKey->keyCombo = *shortcut->asDictionary();
        // One action for every hot key: the index comes from the key itself.
        hotKey->action = [pressed](const HotKey& key) {
            if (auto index = indexFromHotKeyIdentifier(key.identifier); index && pressed) {
                pressed(*index);
            }
        };
        // A combination another program holds stays unbound; the next
        // binding tries again.
        (void)center.registerHotKey(hotKey);
    }
}

} // namespace quillet::helper
