// The desktop's own list of custom keyboard shortcuts (its keyboard
// settings), which runs a command for a key on X11 and Wayland alike.
#pragma once

#include "../error.h"

#include <string>
#include <vector>

namespace quillet {

// Which desktop's list, and so which notation its bindings are written in.
enum class ShortcutRegistryKind {
    Gnome,    // GSettings media-keys custom-keybindings (also Budgie, Unity)
    Cinnamon, // GSettings org.cinnamon.desktop.keybindings custom-list
    Mate,     // GSettings org.mate.control-center.keybinding entries
    Xfce,     // xfconf xfce4-keyboard-shortcuts /commands/custom/<binding>
    Kde,      // KGlobalAccel, component "org.quillet.QuilletHelper.desktop"
};

// One shortcut as the registry holds it.
struct RegistryEntry {
    // What the registry finds the entry by: the entry's folder name
    // ("quillet-3", "custom0"), Xfce's binding, KDE's action name.
    std::string id{};
    std::string name{};    // shown in the desktop's settings (Xfce: none)
    std::string command{}; // what it runs (KDE: none, the bus activates the helper)
    std::string binding{}; // in the registry's notation (KDE: the Qt key code)
    // The desktop's own binding of a built-in action: read to tell what a
    // combination is taken by, never written.
    bool builtIn = false;

    bool operator==(const RegistryEntry&) const = default;
};

// What to write to bring the registry in step with the templates.
struct RegistryChanges {
    std::vector<RegistryEntry> added;
    std::vector<RegistryEntry> changed;
    std::vector<RegistryEntry> removed;

    bool empty() const { return added.empty() && changed.empty() && removed.empty(); }
};

class ShortcutRegistry {
public:
    virtual ~ShortcutRegistry() = default;
    virtual ShortcutRegistryKind kind() const = 0;
    // Every custom entry, ours and the user's, in the registry's order, then
    // the built-in bindings the registry can read cheaply.
    [[nodiscard]] virtual Expected<std::vector<RegistryEntry>> entries() = 0;
    // Writes only our entries; every other entry, and the order of a list
    // that holds ours, stays as it is.
    [[nodiscard]] virtual Status apply(const RegistryChanges& changes) = 0;
    // The entries that may use the combination `binding` (in the registry's
    // notation), at least every one that does. All of entries() unless the
    // registry can ask who holds a key (KDE knows every program's shortcuts,
    // which entries() does not list).
    [[nodiscard]] virtual Expected<std::vector<RegistryEntry>> entriesUsing(const std::string&) {
        return entries();
    }
    // Once our entries are all removed: removes what else the registry keeps
    // of us (KDE: our component and the desktop file behind it).
    [[nodiscard]] virtual Status removeLeftovers() { return {}; }
};

} // namespace quillet
