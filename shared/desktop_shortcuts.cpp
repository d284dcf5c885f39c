#include "desktop_shortcuts.h"

#include "desktop_exec.h"
#include "keys.h"
#include "records.h"
#include "text_mark.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <map>

namespace quillet {

namespace {

constexpr std::string_view kShortcutFlag = " --shortcut ";
constexpr std::string_view kHelperName = "quillet-helper";

// Qt's modifier bits and key codes, which KGlobalAccel stores.
namespace qt {
constexpr std::uint32_t kShift = 0x02000000;
constexpr std::uint32_t kControl = 0x04000000;
constexpr std::uint32_t kAlt = 0x08000000;
constexpr std::uint32_t kMeta = 0x10000000;
constexpr std::uint32_t kKeypad = 0x20000000;
constexpr std::uint32_t kModifiers = kShift | kControl | kAlt | kMeta | kKeypad;
constexpr std::uint32_t kF1 = 0x01000030;
} // namespace qt

constexpr std::array<std::pair<std::uint32_t, std::uint32_t>, 35> kQtKeys{{
    {0xff08, 0x01000003},
    {0xff09, 0x01000001},
    {0xff0d, 0x01000004},
    {0xff13, 0x01000008},
    {0xff14, 0x01000026},
    {0xff1b, 0x01000000},
    {0xff50, 0x01000010},
    {0xff51, 0x01000012},
    {0xff52, 0x01000013},
    {0xff53, 0x01000014},
    {0xff54, 0x01000015},
    {0xff55, 0x01000016},
    {0xff56, 0x01000017},
    {0xff57, 0x01000011},
    {0xff61, 0x01000009},
    {0xff63, 0x01000006},
    {0xff67, 0x01000055},
    {0xff8d, qt::kKeypad | 0x01000005},
    {0xffaa, qt::kKeypad | 0x2a},
    {0xffab, qt::kKeypad | 0x2b},
    {0xffad, qt::kKeypad | 0x2d},
    {0xffae, qt::kKeypad | 0x2e},
    {0xffaf, qt::kKeypad | 0x2f},
    {0xffff, 0x01000007},
    {0x1008ff11, 0x01000070},
    {0x1008ff12, 0x01000071},
    {0x1008ff13, 0x01000072},
    {0x1008ff14, 0x01000080},
    {0x1008ff15, 0x01000081},
    {0x1008ff16, 0x01000082},
    {0x1008ff17, 0x01000083},
    {0x1008ff18, 0x01000090},
    {0x1008ff19, 0x010000a0},
    {0x1008ff1d, 0x010000cb},
    {0x0020, 0x20},
}};

constexpr std::array<std::pair<std::uint32_t, std::uint32_t>, 4> kQtModifiers{{
    {modifier::kShift, qt::kShift},
    {modifier::kControl, qt::kControl},
    {modifier::kAlt, qt::kAlt},
    {modifier::kSuper, qt::kMeta},
}};

std::optional<std::uint32_t> qtKeyCode(const Shortcut& shortcut) {
    const std::uint32_t keysym = Shortcut::normalizedKeysym(shortcut.keysym);
    std::optional<std::uint32_t> key;
    for (auto [sym, code] : kQtKeys) {
        if (sym == keysym) {
            key = code;
        }
    }
    if (!key && keysym >= 0xffbe && keysym <= 0xffe0) {
        key = qt::kF1 + (keysym - 0xffbe);
    } else if (!key && keysym >= 0xffb0 && keysym <= 0xffb9) {
        key = qt::kKeypad | ('0' + (keysym - 0xffb0));
    } else if (!key && ((keysym > 0x20 && keysym <= 0x7e) || (keysym >= 0xa0 && keysym <= 0xff))) {
        // Qt names letters by their capital.
        const bool lower = (keysym >= 'a' && keysym <= 'z') ||
                           (keysym >= 0xe0 && keysym <= 0xfe && keysym != 0xf7);
        key = lower ? keysym - 0x20 : keysym;
    }
    if (!key) {
        return std::nullopt;
    }
    for (auto [bit, qtBit] : kQtModifiers) {
        if (shortcut.modifiers & bit) {
            *key |= qtBit;
        }
    }
    return key;
}

std::optional<Shortcut> fromQtKeyCode(std::string_view text) {
    std::uint32_t code = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), code);
    if (error != std::errc() || end != text.data() + text.size() || code == 0) {
        return std::nullopt;
    }
    Shortcut shortcut;
    for (auto [bit, qtBit] : kQtModifiers) {
        if (code & qtBit) {
            shortcut.modifiers |= bit;
        }
    }
    const std::uint32_t key = code & ~(qt::kModifiers & ~qt::kKeypad);
    for (auto [sym, qtKey] : kQtKeys) {
        if (qtKey == key) {
            shortcut.keysym = sym;
            return shortcut;
        }
    }
    if (key >= qt::kF1 && key < qt::kF1 + 35) {
        shortcut.keysym = 0xffbe + (key - qt::kF1);
    } else if ((key & qt::kKeypad) && (key & ~qt::kKeypad) >= '0' && (key & ~qt::kKeypad) <= '9') {
        shortcut.keysym = 0xffb0 + ((key & ~qt::kKeypad) - '0');
    } else if ((key > 0x20 && key <= 0x7e) || (key >= 0xa0 && key <= 0xff)) {
        shortcut.keysym = Shortcut::normalizedKeysym(key);
    } else {
        return std::nullopt;
    }
    return shortcut;
}

std::string accelerator(const Shortcut& shortcut, const char* controlWord) {
    std::string text;
    for (auto [bit, word] :
         {std::pair{modifier::kShift, "<Shift>"}, std::pair{modifier::kControl, controlWord},
          std::pair{modifier::kAlt, "<Alt>"}, std::pair{modifier::kSuper, "<Super>"}}) {
        if (shortcut.modifiers & bit) {
            text += word;
        }
    }
    return text + keysymName(Shortcut::normalizedKeysym(shortcut.keysym));
}

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// GTK's accelerator notation, as every GTK desktop writes it and as users
// type it into dconf: modifiers in any order and case.
std::optional<Shortcut> fromAccelerator(std::string_view text) {
    static const std::map<std::string, std::uint32_t> kModifierWords{
        {"shift", modifier::kShift},  {"shft", modifier::kShift},  {"control", modifier::kControl},
        {"ctrl", modifier::kControl}, {"ctl", modifier::kControl}, {"primary", modifier::kControl},
        {"alt", modifier::kAlt},      {"mod1", modifier::kAlt},    {"super", modifier::kSuper},
        {"mod4", modifier::kSuper},
    };
    Shortcut shortcut;
    while (text.starts_with('<')) {
        const auto close = text.find('>');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        auto word = kModifierWords.find(lowered(text.substr(1, close - 1)));
        if (word == kModifierWords.end()) {
            return std::nullopt; // Meta, Hyper, Release: not a combination we record
        }
        shortcut.modifiers |= word->second;
        text.remove_prefix(close + 1);
    }
    auto keysym = keysymFromName(text);
    if (!keysym) {
        return std::nullopt;
    }
    shortcut.keysym = Shortcut::normalizedKeysym(*keysym);
    return shortcut;
}

// A template index written out: digits and nothing else.
std::optional<std::int64_t> indexFromDigits(std::string_view digits) {
    std::int64_t index = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty() ||
        index < 0) {
        return std::nullopt;
    }
    return index;
}

std::optional<std::int64_t> indexFromShortcutCommand(std::string_view command) {
    const auto flag = command.rfind(kShortcutFlag);
    if (flag == std::string_view::npos ||
        command.substr(0, flag).find(kHelperName) == std::string_view::npos) {
        return std::nullopt;
    }
    return indexFromDigits(command.substr(flag + kShortcutFlag.size()));
}

} // namespace

std::optional<std::string> registryBinding(ShortcutRegistryKind kind, const Shortcut& shortcut) {
    switch (kind) {
    case ShortcutRegistryKind::Gnome:
    case ShortcutRegistryKind::Cinnamon:
    case ShortcutRegistryKind::Mate:
        return accelerator(shortcut, "<Control>");
    case ShortcutRegistryKind::Xfce:
        return accelerator(shortcut, "<Primary>");
    case ShortcutRegistryKind::Kde:
        if (auto code = qtKeyCode(shortcut)) {
            return std::to_string(*code);
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<Shortcut> shortcutFromRegistryBinding(ShortcutRegistryKind kind,
                                                    std::string_view binding) {
    return kind == ShortcutRegistryKind::Kde ? fromQtKeyCode(binding) : fromAccelerator(binding);
}

std::string shortcutCommand(const std::string& helperPath, std::int64_t index) {
    return shellQuoted(helperPath) + std::string(kShortcutFlag) + std::to_string(index);
}

std::optional<std::int64_t> templateIndexOfRegistryId(std::string_view id) {
    if (!id.starts_with(kRegistryIdPrefix)) {
        return std::nullopt;
    }
    return indexFromDigits(id.substr(kRegistryIdPrefix.size()));
}

bool isOurRegistryEntry(ShortcutRegistryKind kind, const RegistryEntry& entry) {
    if (entry.builtIn) {
        return false;
    }
    if (kind == ShortcutRegistryKind::Xfce) {
        return indexFromShortcutCommand(entry.command).has_value();
    }
    return entry.id.starts_with(kRegistryIdPrefix);
}

std::vector<RegistryEntry> wantedRegistryEntries(ShortcutRegistryKind kind,
                                                 const Value::Array& templates,
                                                 const std::string& helperPath) {
    std::vector<RegistryEntry> wanted;
    const auto records = fileTemplatesFrom(Value(templates));
    for (std::size_t i = 0; i < records.size(); ++i) {
        const auto& record = records[i];
        if (!record || !record->enabled || !record->shortcut) {
            continue;
        }
        const auto shortcut = Shortcut::fromDictionary(*record->shortcut);
        const auto binding = shortcut ? registryBinding(kind, *shortcut) : std::nullopt;
        if (!binding) {
            continue;
        }
        const auto index = static_cast<std::int64_t>(i);
        RegistryEntry entry{
            .id = std::string(kRegistryIdPrefix) + std::to_string(index),
            .name = record->title,
            .command = shortcutCommand(helperPath, index),
            .binding = *binding,
        };
        if (kind == ShortcutRegistryKind::Xfce) {
            entry.id = entry.binding; // the property's name is the binding
            entry.name.clear();       // Xfce keeps no name
        } else if (kind == ShortcutRegistryKind::Kde) {
            entry.command.clear(); // the bus activates the helper's action named by the id
        }
        wanted.push_back(std::move(entry));
    }
    return wanted;
}

RegistryChanges planRegistryChanges(ShortcutRegistryKind kind,
                                    const std::vector<RegistryEntry>& wanted,
                                    const std::vector<RegistryEntry>& current) {
    std::map<std::string, const RegistryEntry*> ours;
    std::map<std::string, const RegistryEntry*> theirs;
    for (const auto& entry : current) {
        if (entry.builtIn) {
            continue;
        }
        (isOurRegistryEntry(kind, entry) ? ours : theirs).emplace(entry.id, &entry);
    }
    RegistryChanges changes;
    std::map<std::string, bool> wantedIds;
    for (const auto& entry : wanted) {
        if (wantedIds.contains(entry.id)) {
            continue; // Xfce: two templates on one binding; the first has it
        }
        wantedIds[entry.id] = true;
        if (auto found = ours.find(entry.id); found != ours.end()) {
            if (!(*found->second == entry)) {
                changes.changed.push_back(entry);
            }
        } else if (!theirs.contains(entry.id)) {
            changes.added.push_back(entry);
        }
    }
    for (const auto& [id, entry] : ours) {
        if (!wantedIds.contains(id)) {
            changes.removed.push_back(*entry);
        }
    }
    return changes;
}

Status syncShortcutRegistry(ShortcutRegistry& registry, const Value::Array& templates,
                            const std::string& helperPath) {
    auto current = registry.entries();
    if (!current) {
        return current.error();
    }
    const RegistryChanges changes = planRegistryChanges(
        registry.kind(), wantedRegistryEntries(registry.kind(), templates, helperPath), *current);
    if (changes.empty()) {
        return {};
    }
    return registry.apply(changes);
}

Status removeOurRegistryEntries(ShortcutRegistry& registry) {
    if (Status synced = syncShortcutRegistry(registry, {}, ""); !synced) {
        return synced;
    }
    return registry.removeLeftovers();
}

std::optional<RegistryEntry> registryEntryUsing(ShortcutRegistryKind kind,
                                                const std::vector<RegistryEntry>& entries,
                                                const Shortcut& shortcut) {
    const Shortcut wanted{Shortcut::normalizedKeysym(shortcut.keysym), shortcut.modifiers};
    for (const auto& entry : entries) {
        const auto used = shortcutFromRegistryBinding(kind, entry.binding);
        if (used && used->keysym == wanted.keysym && used->modifiers == wanted.modifiers) {
            return entry;
        }
    }
    return std::nullopt;
}

Status RegistryHotKeyCenter::registerHotKey(std::shared_ptr<HotKey> hotKey) {
    const auto shortcut = hotKey ? Shortcut::fromDictionary(hotKey->keyCombo) : std::nullopt;
    if (!shortcut || !registryBinding(registry_.kind(), *shortcut)) {
        return Error::withDetail("register global shortcuts", "",
                                 "the desktop's shortcuts cannot hold this key");
    }
    auto entries = registry_.entriesUsing(*registryBinding(registry_.kind(), *shortcut));
    if (!entries) {
        return entries.error();
    }
    if (auto user = registryEntryUsing(registry_.kind(), *entries, *shortcut)) {
        // Xfce keeps no names: the command says what the entry does.
        const std::string& what = user->name.empty() ? user->command : user->name;
        return Error::withDetail("register global shortcuts", "", what, std::errc::file_exists);
    }
    return {};
}

std::string registryDescription(ShortcutRegistryKind kind) {
    switch (kind) {
    case ShortcutRegistryKind::Gnome:
        return N_("Shortcuts are registered in GNOME's keyboard settings.");
    case ShortcutRegistryKind::Cinnamon:
        return N_("Shortcuts are registered in Cinnamon's keyboard settings.");
    case ShortcutRegistryKind::Mate:
        return N_("Shortcuts are registered in MATE's keyboard shortcuts.");
    case ShortcutRegistryKind::Xfce:
        return N_("Shortcuts are registered in Xfce's keyboard settings.");
    case ShortcutRegistryKind::Kde:
        return N_("Shortcuts are registered in KDE's global shortcuts.");
    }
    return {};
}

} // namespace quillet
