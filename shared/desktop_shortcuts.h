// Keeping the desktop's list of custom shortcuts in step with the templates:
// one entry per enabled template with a shortcut, that runs
// `quillet-helper --shortcut <template index>`. Our entries are known by
// their id prefix "quillet-" (on Xfce, which keeps no id, by their command);
// every other entry is the user's or the desktop's, and is never changed.
#pragma once

#include "ports/hot_key_center.h"
#include "ports/shortcut_registry.h"
#include "shortcut.h"
#include "value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

inline constexpr std::string_view kRegistryIdPrefix = "quillet-";

// The combination in the registry's notation: "<Control><Alt>n" (GNOME,
// Cinnamon, MATE), "<Primary><Alt>n" (Xfce), the Qt key code "201326670"
// (KDE). Nothing for a key the notation cannot name.
std::optional<std::string> registryBinding(ShortcutRegistryKind kind, const Shortcut& shortcut);
// Reads any binding of the registry back, the desktop's own included
// ("<Super>e", "<Ctrl><Shift>Escape"); nothing when it names no single
// combination (empty, disabled, several keys).
std::optional<Shortcut> shortcutFromRegistryBinding(ShortcutRegistryKind kind,
                                                    std::string_view binding);

// `'<helper>' --shortcut <index>`, as a shell reads it.
std::string shortcutCommand(const std::string& helperPath, std::int64_t index);

// The template index of our entry id "quillet-<index>"; nothing for any
// other id. On KDE the press arrives as the helper's action of that name.
std::optional<std::int64_t> templateIndexOfRegistryId(std::string_view id);

// Whether the registry's entry is one of ours.
bool isOurRegistryEntry(ShortcutRegistryKind kind, const RegistryEntry& entry);

// The entries the templates ask for: one per enabled template whose shortcut
// the notation can name, named after the template's title.
std::vector<RegistryEntry> wantedRegistryEntries(ShortcutRegistryKind kind,
                                                 const Value::Array& templates,
                                                 const std::string& helperPath);

// What to write so that our entries are exactly `wanted`: ours that are not
// wanted go, wanted ones that differ change, missing ones are added unless
// the user holds that id (Xfce's id is the binding: the user's entry wins).
RegistryChanges planRegistryChanges(ShortcutRegistryKind kind,
                                    const std::vector<RegistryEntry>& wanted,
                                    const std::vector<RegistryEntry>& current);

// Reads the registry, plans, and writes what differs (nothing when in step).
[[nodiscard]] Status syncShortcutRegistry(ShortcutRegistry& registry, const Value::Array& templates,
                                          const std::string& helperPath);

// Removes every entry of ours, and what else the registry keeps of us
// (Quillet being uninstalled); the user's entries stay.
[[nodiscard]] Status removeOurRegistryEntries(ShortcutRegistry& registry);

// The entry that already uses the combination, ours or not; nothing when it
// is free.
std::optional<RegistryEntry> registryEntryUsing(ShortcutRegistryKind kind,
                                                const std::vector<RegistryEntry>& entries,
                                                const Shortcut& shortcut);

// Where the registry is in use, the trials of the shortcut sheet ask it
// whether a combination is free; it grabs nothing and holds nothing (the
// desktop runs the entries, and starts the helper for them).
class RegistryHotKeyCenter final : public HotKeyCenter {
public:
    explicit RegistryHotKeyCenter(ShortcutRegistry& registry) : registry_(registry) {}
    // A combination in use is an error of code file_exists whose reason is
    // the name (Xfce: the command) of what uses it.
    Status registerHotKey(std::shared_ptr<HotKey> hotKey) override;
    void unregisterHotKey(const std::shared_ptr<HotKey>&) override {}
    std::vector<std::shared_ptr<HotKey>> allHotKeys() const override { return {}; }

private:
    ShortcutRegistry& registry_;
};

// The Templates pane's line on where shortcuts go: "Shortcuts are registered
// in GNOME's keyboard settings." (English; translated where shown).
std::string registryDescription(ShortcutRegistryKind kind);

} // namespace quillet
