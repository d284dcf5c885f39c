// The menu-provider side every file manager shares: the extension's menu for
// a click, turned into that file manager's own menu-item objects.
#pragma once

#include "finder-extension/core/finder_sync.h"

#include <glib-object.h>

#include <functional>
#include <optional>

namespace quillet::module {

// The few calls that make one file manager's menu items. Every file manager
// has an item GObject with "activate", and a menu holding items.
struct MenuToolkit {
    // New references.
    GObject* (*newItem)(const char* name, const char* label, const char* icon);
    GObject* (*newMenu)();
    // Both take their own reference.
    void (*appendItem)(GObject* menu, GObject* item);
    void (*setSubmenu)(GObject* item, GObject* menu);
};

// The file manager's items for a click (a new list of new references), or
// null for none. Never throws: exceptions must not unwind into the file
// manager's C frames, and a failure costs the user our entries, never the
// file manager.
GList* menuItems(MenuKind kind, const std::function<std::optional<FinderSelection>()>& select,
                 const MenuToolkit& toolkit) noexcept;

// The provider GObject's type description, for the module's type plugin.
const GTypeInfo& providerTypeInfo();

} // namespace quillet::module
