#include "menu_provider.h"

#include "extension_host.h"

#include <memory>

namespace quillet::module {

namespace {

struct QuilletMenuProvider {
    GObject parent;
};

struct QuilletMenuProviderClass {
    GObjectClass parent;
};

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

void onActivate(GObject*, gpointer data) {
    try {
        auto* activation = static_cast<Activation*>(data);
        if (ExtensionHost* host = ExtensionHost::current()) {
            auto sent = host->finderSync().menuItemAction(activation->item->actionName,
                                                          activation->click->selection);
            if (!sent) {
                g_debug("%s", sent.error().logText().c_str());
            }
        }
    } catch (const std::exception& e) {
        g_warning("creation request not sent: %s", e.what());
    } catch (...) {
        g_warning("creation request not sent");
    }
}

GObject* makeItem(const MenuItem& item, const std::shared_ptr<const Click>& click,
                  const MenuToolkit& toolkit);

GObject* makeMenu(const Menu& menu, const std::shared_ptr<const Click>& click,
                  const MenuToolkit& toolkit) {
    GObject* result = toolkit.newMenu();
    for (const auto& child : menu.items) {
        GObject* childItem = makeItem(child, click, toolkit);
        toolkit.appendItem(result, childItem);
        g_object_unref(childItem);
    }
    return result;
}

// Everything but the GObject work was done when the menu was built: a click
// with nothing changed makes only the file manager's items.
GObject* makeItem(const MenuItem& item, const std::shared_ptr<const Click>& click,
                  const MenuToolkit& toolkit) {
    GObject* result = toolkit.newItem(item.identifier.c_str(), item.title.c_str(),
                                      item.iconName ? item.iconName->c_str() : nullptr);
    if (item.submenu) {
        GObject* submenu = makeMenu(*item.submenu, click, toolkit);
        toolkit.setSubmenu(result, submenu);
        g_object_unref(submenu);
    }
    if (!item.actionName.empty()) {
        g_signal_connect_data(result, "activate", G_CALLBACK(onActivate),
                              new Activation{click, &item}, freeActivation, GConnectFlags(0));
    }
    return result;
}

GList* itemsFor(MenuKind kind, std::optional<FinderSelection> selection,
                const MenuToolkit& toolkit) {
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
        items = g_list_prepend(items, makeItem(item, click, toolkit));
    }
    return g_list_reverse(items);
}

void classInit(gpointer, gpointer) {}
// A dynamic type's class may be finalized when the module is unused.
void classFinalize(gpointer, gpointer) {}
void instanceInit(GTypeInstance*, gpointer) {}

} // namespace

GList* menuItems(MenuKind kind, const std::function<std::optional<FinderSelection>()>& select,
                 const MenuToolkit& toolkit) noexcept {
    try {
        return itemsFor(kind, select(), toolkit);
    } catch (const std::exception& e) {
        g_warning("no menu for the click: %s", e.what());
    } catch (...) {
        g_warning("no menu for the click");
    }
    return nullptr;
}

const GTypeInfo& providerTypeInfo() {
    static const GTypeInfo info = {
        sizeof(QuilletMenuProviderClass), nullptr, nullptr,      classInit, classFinalize, nullptr,
        sizeof(QuilletMenuProvider),      0,       instanceInit, nullptr,
    };
    return info;
}

} // namespace quillet::module
