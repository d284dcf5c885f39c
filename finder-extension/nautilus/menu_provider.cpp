#include "menu_provider.h"

#include "extension_host.h"
#include "file_info_selection.h"

#include <nautilus-extension.h>

#include <memory>

namespace quillet::nautilus {

namespace {

struct QuilletMenuProvider {
    GObject parent;
};

struct QuilletMenuProviderClass {
    GObjectClass parent;
};

GType gProviderType = 0;

// What the entries of one click share: the menu they were made from (kept
// alive, as the entries may outlive the next settings change) and the
// selection it was built for.
struct Click {
    std::shared_ptr<const Menu> menu;
    FinderSelection selection;
};

// What a chosen entry needs later. The entries of a click share one Click,
// so making an entry costs no copy of the selection.
struct Activation {
    std::shared_ptr<const Click> click;
    const MenuItem* item;
};

void freeActivation(gpointer data, GClosure*) {
    delete static_cast<Activation*>(data);
}

void onActivate(NautilusMenuItem*, gpointer data) {
    try {
        auto* activation = static_cast<Activation*>(data);
        if (ExtensionHost* host = ExtensionHost::current()) {
            host->finderSync().menuItemAction(activation->item->actionName,
                                              activation->click->selection);
        }
    } catch (const std::exception& e) {
        g_warning("creation request not sent: %s", e.what());
    } catch (...) {
        g_warning("creation request not sent");
    }
}

NautilusMenuItem* makeItem(const MenuItem& item, const std::shared_ptr<const Click>& click);

NautilusMenu* makeMenu(const Menu& menu, const std::shared_ptr<const Click>& click) {
    NautilusMenu* result = nautilus_menu_new();
    for (const auto& child : menu.items) {
        NautilusMenuItem* childItem = makeItem(child, click);
        // Appending takes its own reference.
        nautilus_menu_append_item(result, childItem);
        g_object_unref(childItem);
    }
    return result;
}

// Everything but the GObject work was done when the menu was built: a click
// with nothing changed makes only the file manager's items.
NautilusMenuItem* makeItem(const MenuItem& item, const std::shared_ptr<const Click>& click) {
    // The file manager ignores item icons; the name is passed for those that
    // show them.
    NautilusMenuItem* result =
        nautilus_menu_item_new(item.identifier.c_str(), item.title.c_str(), nullptr,
                               item.iconName ? item.iconName->c_str() : nullptr);
    if (item.submenu) {
        NautilusMenu* submenu = makeMenu(*item.submenu, click);
        nautilus_menu_item_set_submenu(result, submenu);
        g_object_unref(submenu);
    }
    if (!item.actionName.empty()) {
        g_signal_connect_data(result, "activate", G_CALLBACK(onActivate),
                              new Activation{click, &item}, freeActivation, GConnectFlags(0));
    }
    return result;
}

GList* itemsFor(MenuKind kind, std::optional<FinderSelection> selection) {
    ExtensionHost* host = ExtensionHost::current();
    if (host == nullptr || !selection) {
        return nullptr;
    }
    auto menu = host->finderSync().menuForClick(kind, *selection);
    if (!menu) {
        return nullptr;
    }
    auto click = std::make_shared<const Click>(Click{menu, std::move(*selection)});
    GList* items = nullptr;
    for (const auto& item : menu->items) {
        items = g_list_prepend(items, makeItem(item, click));
    }
    return g_list_reverse(items);
}

// Exceptions must not unwind into the file manager's C frames: a failure
// here costs the user our entries, never the file manager.
GList* getFileItems(NautilusMenuProvider*, GList* files) {
    try {
        return itemsFor(MenuKind::ContextualMenuForItems, selectionForFiles(files));
    } catch (const std::exception& e) {
        g_warning("no menu for the selection: %s", e.what());
    } catch (...) {
        g_warning("no menu for the selection");
    }
    return nullptr;
}

GList* getBackgroundItems(NautilusMenuProvider*, NautilusFileInfo* currentFolder) {
    try {
        return itemsFor(MenuKind::ContextualMenuForContainer,
                        selectionForBackground(currentFolder));
    } catch (const std::exception& e) {
        g_warning("no menu for the folder: %s", e.what());
    } catch (...) {
        g_warning("no menu for the folder");
    }
    return nullptr;
}

void menuProviderInterfaceInit(gpointer iface, gpointer) {
    auto* menuIface = static_cast<NautilusMenuProviderInterface*>(iface);
    menuIface->get_file_items = getFileItems;
    menuIface->get_background_items = getBackgroundItems;
}

void classInit(gpointer, gpointer) {}
// A dynamic type's class may be finalized when the module is unused.
void classFinalize(gpointer, gpointer) {}
void instanceInit(GTypeInstance*, gpointer) {}

} // namespace

void registerMenuProviderType(GTypeModule* module) {
    static const GTypeInfo info = {
        sizeof(QuilletMenuProviderClass), nullptr, nullptr,      classInit, classFinalize, nullptr,
        sizeof(QuilletMenuProvider),      0,       instanceInit, nullptr,
    };
    static const GInterfaceInfo menuProviderInfo = {menuProviderInterfaceInit, nullptr, nullptr};
    gProviderType = g_type_module_register_type(module, G_TYPE_OBJECT, "QuilletMenuProvider", &info,
                                                GTypeFlags(0));
    g_type_module_add_interface(module, gProviderType, NAUTILUS_TYPE_MENU_PROVIDER,
                                &menuProviderInfo);
}

GType menuProviderType() {
    return gProviderType;
}

} // namespace quillet::nautilus
