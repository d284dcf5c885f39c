// Any bytes as a template record's shortcut, as the store holds it (JSON that
// any program may have written): never a crash; a shortcut it accepts keeps
// to the modifier bits, reads back from its own dictionary unchanged and has
// a text for users and a trigger for the portal.
#include "shared/plist_json.h"
#include "shared/shortcut.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto value = quillet::valueFromJsonText(text);
    if (!value) {
        return 0;
    }
    const auto shortcut = quillet::Shortcut::fromValue(*value);
    (void)quillet::shortcutText(*value);
    if (!shortcut) {
        return 0;
    }
    if ((shortcut->modifiers & ~quillet::modifier::kAll) != 0 || shortcut->keysym == 0) {
        __builtin_trap();
    }
    const auto again = quillet::Shortcut::fromDictionary(shortcut->toDictionary());
    if (!again || again->keysym != shortcut->keysym || again->modifiers != shortcut->modifiers) {
        __builtin_trap();
    }
    if (quillet::shortcutText(*shortcut).empty() || quillet::portalTrigger(*shortcut).empty()) {
        __builtin_trap();
    }
    (void)quillet::keyName(shortcut->keysym);
    (void)shortcut->isRecordable();
    return 0;
}
