// A recorded key combination: the shortcut dictionary kept under a template's
// `shortcut`, {"SRShortcutKeyCode": X11 keysym, "SRShortcutModifierFlagsKey":
// X11 modifier mask}. The dictionary is stored, compared and registered whole;
// this type only reads it to render it and to grab it.
#pragma once

#include "value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillet {

// The X11 modifier bits a shortcut may hold.
namespace modifier {
inline constexpr std::uint32_t kShift = 1;
inline constexpr std::uint32_t kControl = 4;
inline constexpr std::uint32_t kAlt = 8;    // Mod1
inline constexpr std::uint32_t kSuper = 64; // Mod4
inline constexpr std::uint32_t kAll = kShift | kControl | kAlt | kSuper;
} // namespace modifier

struct Shortcut {
    std::uint32_t keysym = 0;
    std::uint32_t modifiers = 0; // a combination of the modifier bits above

    // Nothing when the dictionary has no usable key code.
    static std::optional<Shortcut> fromDictionary(const Value::Dictionary& dictionary);
    static std::optional<Shortcut> fromValue(const Value& value);
    Value::Dictionary toDictionary() const;

    // A global shortcut needs a modifier that is not Shift alone.
    bool isRecordable() const;
    // The keysym a combination is recorded and stored with: letters in their
    // lower-case form, so that Shift+N and the N key name the same key.
    static std::uint32_t normalizedKeysym(std::uint32_t keysym);
};

// The key's name as shown to users: "N", "F5", "Space", "PgUp", "Num+1".
std::string keyName(std::uint32_t keysym);

// The combination as shown to users, in the desktop's order and words:
// "Ctrl+Alt+N", "Meta+Shift+F5". Empty when the value is not a shortcut.
std::string shortcutText(const Value& shortcut);
std::string shortcutText(const Shortcut& shortcut);
// The modifiers alone, each followed by "+": "Ctrl+Alt+".
std::string modifiersText(std::uint32_t modifiers);

// The key's X keysym name, as the desktops' key settings and the portal spell
// it: "n", "F5", "space", "Next", "KP_1". keysymFromName reads it back.
std::string keysymName(std::uint32_t keysym);
std::optional<std::uint32_t> keysymFromName(std::string_view name);

// The combination as a trigger of the desktop's global-shortcuts portal:
// "CTRL+ALT+n", "LOGO+SHIFT+F5".
std::string portalTrigger(const Shortcut& shortcut);

} // namespace quillet
