#include "shortcut.h"

#include "keys.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace quillet {

namespace {

struct NamedKey {
    std::uint32_t keysym;
    const char* text;   // as the desktop shows it
    const char* portal; // the keysym's own name, as triggers spell it
};

// The keys a user records besides letters, digits and punctuation.
constexpr std::array kNamedKeys{
    NamedKey{0x0020, "Space", "space"},
    NamedKey{0xff08, "Backspace", "BackSpace"},
    NamedKey{0xff09, "Tab", "Tab"},
    NamedKey{0xff0d, "Return", "Return"},
    NamedKey{0xff13, "Pause", "Pause"},
    NamedKey{0xff14, "ScrollLock", "Scroll_Lock"},
    NamedKey{0xff1b, "Esc", "Escape"},
    NamedKey{0xff50, "Home", "Home"},
    NamedKey{0xff51, "Left", "Left"},
    NamedKey{0xff52, "Up", "Up"},
    NamedKey{0xff53, "Right", "Right"},
    NamedKey{0xff54, "Down", "Down"},
    NamedKey{0xff55, "PgUp", "Prior"},
    NamedKey{0xff56, "PgDown", "Next"},
    NamedKey{0xff57, "End", "End"},
    NamedKey{0xff61, "Print", "Print"},
    NamedKey{0xff63, "Ins", "Insert"},
    NamedKey{0xff67, "Menu", "Menu"},
    NamedKey{0xff8d, "Num+Enter", "KP_Enter"},
    NamedKey{0xffaa, "Num+*", "KP_Multiply"},
    NamedKey{0xffab, "Num++", "KP_Add"},
    NamedKey{0xffad, "Num+-", "KP_Subtract"},
    NamedKey{0xffae, "Num+.", "KP_Decimal"},
    NamedKey{0xffaf, "Num+/", "KP_Divide"},
    NamedKey{0xffff, "Del", "Delete"},
    NamedKey{0x1008ff11, "Volume Down", "XF86AudioLowerVolume"},
    NamedKey{0x1008ff12, "Volume Mute", "XF86AudioMute"},
    NamedKey{0x1008ff13, "Volume Up", "XF86AudioRaiseVolume"},
    NamedKey{0x1008ff14, "Media Play", "XF86AudioPlay"},
    NamedKey{0x1008ff15, "Media Stop", "XF86AudioStop"},
    NamedKey{0x1008ff16, "Media Previous", "XF86AudioPrev"},
    NamedKey{0x1008ff17, "Media Next", "XF86AudioNext"},
    NamedKey{0x1008ff18, "Home Page", "XF86HomePage"},
    NamedKey{0x1008ff19, "Launch Mail", "XF86Mail"},
    NamedKey{0x1008ff1d, "Calculator", "XF86Calculator"},
};

// Punctuation keysyms by their names (the keysym of a printable Latin-1
// character is its code).
constexpr std::array<const char*, 0x7f - 0x20> kAsciiNames{
    "space",       "exclam",
    "quotedbl",    "numbersign",
    "dollar",      "percent",
    "ampersand",   "apostrophe",
    "parenleft",   "parenright",
    "asterisk",    "plus",
    "comma",       "minus",
    "period",      "slash",
    "0",           "1",
    "2",           "3",
    "4",           "5",
    "6",           "7",
    "8",           "9",
    "colon",       "semicolon",
    "less",        "equal",
    "greater",     "question",
    "at",          "A",
    "B",           "C",
    "D",           "E",
    "F",           "G",
    "H",           "I",
    "J",           "K",
    "L",           "M",
    "N",           "O",
    "P",           "Q",
    "R",           "S",
    "T",           "U",
    "V",           "W",
    "X",           "Y",
    "Z",           "bracketleft",
    "backslash",   "bracketright",
    "asciicircum", "underscore",
    "grave",       "a",
    "b",           "c",
    "d",           "e",
    "f",           "g",
    "h",           "i",
    "j",           "k",
    "l",           "m",
    "n",           "o",
    "p",           "q",
    "r",           "s",
    "t",           "u",
    "v",           "w",
    "x",           "y",
    "z",           "braceleft",
    "bar",         "braceright",
    "asciitilde",
};

const NamedKey* namedKey(std::uint32_t keysym) {
    for (const auto& key : kNamedKeys) {
        if (key.keysym == keysym) {
            return &key;
        }
    }
    return nullptr;
}

std::string utf8(std::uint32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xc0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3f));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xe0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (cp & 0x3f));
    } else {
        out += static_cast<char>(0xf0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3f));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (cp & 0x3f));
    }
    return out;
}

// The character a keysym types, when it types one: Latin-1 keysyms are their
// code points, and 0x01000000 + a code point is that code point.
std::optional<std::uint32_t> codePoint(std::uint32_t keysym) {
    if ((keysym >= 0x20 && keysym <= 0x7e) || (keysym >= 0xa0 && keysym <= 0xff)) {
        return keysym;
    }
    if (keysym >= 0x01000100 && keysym <= 0x0110ffff) {
        return keysym - 0x01000000;
    }
    return std::nullopt;
}

std::uint32_t upperLatin1(std::uint32_t cp) {
    if (cp >= 'a' && cp <= 'z') {
        return cp - 0x20;
    }
    if (cp >= 0xe0 && cp <= 0xfe && cp != 0xf7) {
        return cp - 0x20;
    }
    return cp;
}

std::string hex(std::uint32_t keysym) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%x", keysym);
    return buffer;
}

} // namespace

std::optional<Shortcut> Shortcut::fromDictionary(const Value::Dictionary& dictionary) {
    auto code = dictionary.find(keys::kShortcutKeyCode);
    if (code == dictionary.end()) {
        return std::nullopt;
    }
    auto keysym = code->second.asInteger();
    if (!keysym || *keysym <= 0 || *keysym > 0x1fffffff) {
        return std::nullopt;
    }
    Shortcut shortcut;
    shortcut.keysym = static_cast<std::uint32_t>(*keysym);
    if (auto flags = dictionary.find(keys::kShortcutModifierFlags); flags != dictionary.end()) {
        shortcut.modifiers =
            static_cast<std::uint32_t>(flags->second.asInteger().value_or(0)) & modifier::kAll;
    }
    return shortcut;
}

std::optional<Shortcut> Shortcut::fromValue(const Value& value) {
    const auto* dictionary = value.asDictionary();
    return dictionary ? fromDictionary(*dictionary) : std::nullopt;
}

Value::Dictionary Shortcut::toDictionary() const {
    return {{keys::kShortcutKeyCode, static_cast<std::int64_t>(keysym)},
            {keys::kShortcutModifierFlags, static_cast<std::int64_t>(modifiers)}};
}

bool Shortcut::isRecordable() const {
    return keysym != 0 && (modifiers & (modifier::kControl | modifier::kAlt | modifier::kSuper));
}

std::uint32_t Shortcut::normalizedKeysym(std::uint32_t keysym) {
    if (keysym >= 'A' && keysym <= 'Z') {
        return keysym + 0x20;
    }
    if (keysym >= 0xc0 && keysym <= 0xde && keysym != 0xd7) {
        return keysym + 0x20;
    }
    return keysym;
}

std::string keyName(std::uint32_t keysym) {
    if (const NamedKey* key = namedKey(keysym)) {
        return key->text;
    }
    if (keysym >= 0xffbe && keysym <= 0xffe0) { // F1 to F35
        // Appended, not prepended: GCC 12 at -O3 warns about the latter.
        return std::string("F").append(std::to_string(keysym - 0xffbe + 1));
    }
    if (keysym >= 0xffb0 && keysym <= 0xffb9) { // the keypad's digits
        return std::string("Num+").append(std::to_string(keysym - 0xffb0));
    }
    if (auto cp = codePoint(keysym)) {
        return utf8(upperLatin1(*cp));
    }
    return hex(keysym);
}

std::string modifiersText(std::uint32_t modifiers) {
    std::string text;
    // The desktop's order: Meta, Ctrl, Alt, Shift, then the key.
    for (auto [bit, word] :
         {std::pair{modifier::kSuper, "Meta"}, std::pair{modifier::kControl, "Ctrl"},
          std::pair{modifier::kAlt, "Alt"}, std::pair{modifier::kShift, "Shift"}}) {
        if (modifiers & bit) {
            text += word;
            text += '+';
        }
    }
    return text;
}

std::string shortcutText(const Shortcut& shortcut) {
    return modifiersText(shortcut.modifiers) + keyName(shortcut.keysym);
}

std::string shortcutText(const Value& shortcut) {
    auto parsed = Shortcut::fromValue(shortcut);
    return parsed ? shortcutText(*parsed) : std::string();
}

std::string keysymName(std::uint32_t keysym) {
    if (const NamedKey* key = namedKey(keysym)) {
        return key->portal;
    }
    if (keysym >= 0xffbe && keysym <= 0xffe0) {
        return "F" + std::to_string(keysym - 0xffbe + 1);
    }
    if (keysym >= 0xffb0 && keysym <= 0xffb9) {
        return "KP_" + std::to_string(keysym - 0xffb0);
    }
    if (keysym >= 0x20 && keysym <= 0x7e) {
        return kAsciiNames[keysym - 0x20];
    }
    if (auto cp = codePoint(keysym)) {
        return utf8(*cp);
    }
    return hex(keysym);
}

std::optional<std::uint32_t> keysymFromName(std::string_view name) {
    if (name.empty()) {
        return std::nullopt;
    }
    for (const auto& key : kNamedKeys) {
        if (name == key.portal) {
            return key.keysym;
        }
    }
    for (std::size_t i = 0; i < kAsciiNames.size(); ++i) {
        if (name == kAsciiNames[i]) {
            return static_cast<std::uint32_t>(0x20 + i);
        }
    }
    auto number = [](std::string_view digits) -> std::optional<std::uint32_t> {
        std::uint32_t value = 0;
        auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error != std::errc() || end != digits.data() + digits.size() || digits.empty()) {
            return std::nullopt;
        }
        return value;
    };
    if (name.size() > 1 && name[0] == 'F') {
        if (auto n = number(name.substr(1)); n && *n >= 1 && *n <= 35) {
            return 0xffbe + *n - 1;
        }
    }
    if (name.starts_with("KP_")) {
        if (auto n = number(name.substr(3)); n && *n <= 9) {
            return 0xffb0 + *n;
        }
    }
    if (name.starts_with("0x")) {
        std::uint32_t value = 0;
        auto [end, error] = std::from_chars(name.data() + 2, name.data() + name.size(), value, 16);
        if (error == std::errc() && end == name.data() + name.size() && name.size() > 2) {
            return value;
        }
    }
    return std::nullopt;
}

std::string portalTrigger(const Shortcut& shortcut) {
    std::string trigger;
    for (auto [bit, word] :
         {std::pair{modifier::kControl, "CTRL"}, std::pair{modifier::kAlt, "ALT"},
          std::pair{modifier::kShift, "SHIFT"}, std::pair{modifier::kSuper, "LOGO"}}) {
        if (shortcut.modifiers & bit) {
            trigger += word;
            trigger += '+';
        }
    }
    return trigger + keysymName(shortcut.keysym);
}

} // namespace quillet
