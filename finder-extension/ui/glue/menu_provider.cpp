#include "menu_provider.h"

#include "extension_host.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <utility>
#include <vector>

namespace quillet::module {

namespace {

struct QuilletMenuProvider {
    GObject parent;
};

struct QuilletMenuProviderClass {
    GObjectClass parent;
};

// What the entries of one click share: the menu they were made from (kept
// alive, as the entries may outlive the next settings change), the selection
// it was built for, and which file-manager item is which entry. The entries
// share their "activate" closures, a few entries each (GLib keeps a list per
// closure that each entry adds to and searches when it goes): making an entry
// costs neither a closure nor a copy of the selection. The click goes with
// its last closure.
struct Click {
    struct Entry {
        const GObject* object;
        const MenuItem* item;
    };
    static constexpr std::size_t kEntriesPerClosure = 16;

    std::shared_ptr<const Menu> menu;
    FinderSelection selection;
    std::vector<Entry> entries;
    // The file manager may drop its items on any thread.
    std::atomic<int> closures = 0;
    // "activate" of the file manager's item type, looked up once per click.
    guint activateSignal = 0;
    // While the entries are made: the closure being shared, with a
    // reference of our own.
    GClosure* activate = nullptr;

    void connect(GObject* object, const MenuItem& item);
    // Drops our reference: from then on the entries hold the click.
    void doneConnecting();
};

void closureGone(gpointer data, GClosure*) {
    auto* click = static_cast<Click*>(data);
    if (click->closures.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete click;
    }
}

void onActivate(GObject* object, gpointer data) {
    try {
        const auto* click = static_cast<const Click*>(data);
        const auto entry =
            std::find_if(click->entries.begin(), click->entries.end(),
                         [object](const Click::Entry& e) { return e.object == object; });
        ExtensionHost* host = ExtensionHost::current();
        if (host != nullptr && entry != click->entries.end()) {
            auto sent =
                host->finderSync().menuItemAction(entry->item->actionName, click->selection);
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

// The entries that send a request, submenus included.
std::size_t countEntries(const Menu& menu) {
    std::size_t count = 0;
    for (const auto& item : menu.items) {
        count +=
            (item.actionName.empty() ? 0 : 1) + (item.submenu ? countEntries(*item.submenu) : 0);
    }
    return count;
}

void Click::connect(GObject* object, const MenuItem& item) {
    if (activate == nullptr || entries.size() % kEntriesPerClosure == 0) {
        doneConnecting();
        closures.fetch_add(1, std::memory_order_relaxed);
        activate = g_cclosure_new(G_CALLBACK(onActivate), this, closureGone);
        g_closure_ref(activate);
        g_closure_sink(activate);
        activateSignal = g_signal_lookup("activate", G_OBJECT_TYPE(object));
    }
    g_signal_connect_closure_by_id(object, activateSignal, 0, activate, FALSE);
    entries.push_back({object, &item});
}

void Click::doneConnecting() {
    if (GClosure* closure = std::exchange(activate, nullptr)) {
        g_closure_unref(closure);
    }
}

GObject* makeItem(const MenuItem& item, Click& click, const MenuToolkit& toolkit);

GObject* makeMenu(const Menu& menu, Click& click, const MenuToolkit& toolkit) {
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
GObject* makeItem(const MenuItem& item, Click& click, const MenuToolkit& toolkit) {
    GObject* result = toolkit.newItem(item.identifier.c_str(), item.title.c_str(),
                                      item.iconName ? item.iconName->c_str() : nullptr);
    if (item.submenu) {
        GObject* submenu = makeMenu(*item.submenu, click, toolkit);
        toolkit.setSubmenu(result, submenu);
        g_object_unref(submenu);
    }
    if (!item.actionName.empty()) {
        click.connect(result, item);
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
    auto click = std::make_unique<Click>();
    click->menu = menu;
    click->selection = std::move(*selection);
    click->entries.reserve(countEntries(*menu));
    GList* items = nullptr;
    for (const auto& item : menu->items) {
        items = g_list_prepend(items, makeItem(item, *click, toolkit));
    }
    if (click->activate != nullptr) {
        click.release()->doneConnecting(); // the entries hold it now
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
