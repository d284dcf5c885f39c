// The menu provider of one file manager, made from a small description of
// its extension library. Every supported file manager has the same pieces
// under its own names: a menu item (name, label, tip, icon) that emits
// "activate", a menu of items, a file-info interface, and a provider asked
// for the items of selected files and of the folder's background, with or
// without the window as a second argument.
//
// A description is a struct with:
//   types      Provider, ProviderIface, FileInfo, Menu, MenuItem
//   functions  newItem, newMenu, appendItem, setSubmenu, location,
//              parentLocation, isDirectory, fileInfoType, providerType
//   constant   noTip, the tip of an item that has none: null where the
//              library takes one (no copy of an empty text per entry), ""
//              where it refuses an item without a tip
// QUILLET_FILE_MANAGER writes one for a library that names everything the
// way Nautilus's does; QUILLET_GTYPE_MODULE_ENTRY_POINTS the entry points of
// a file manager that loads modules into a GTypeModule.
#pragma once

#include "menu_provider.h"
#include "module_lifecycle.h"
#include "selection.h"

// GTK 3 or GTK 4, whichever the file manager's module is built with: only
// what both have.
#include <gtk/gtk.h>

namespace quillet::module {

template <class Fm> struct FileManagerModule {
    using Provider = typename Fm::Provider;
    using FileInfo = typename Fm::FileInfo;
    using Menu = typename Fm::Menu;
    using MenuItem = typename Fm::MenuItem;

    static GList* fileItems(Provider*, GList* files) {
        return menuItems(
            MenuKind::ContextualMenuForItems,
            [files] { return selectionForFiles(files, fileInfoAccess); }, toolkit);
    }
    template <class Window> static GList* fileItems(Provider* provider, Window*, GList* files) {
        return fileItems(provider, files);
    }

    static GList* folderItems(Provider*, FileInfo* folder) {
        return menuItems(
            MenuKind::ContextualMenuForContainer,
            [folder] { return selectionForFolder(folder, fileInfoAccess); }, toolkit);
    }
    template <class Window>
    static GList* folderItems(Provider* provider, Window*, FileInfo* folder) {
        return folderItems(provider, folder);
    }

    // Fills the file manager's menu-provider interface.
    static void initMenuProvider(gpointer iface, gpointer) {
        auto* menu = static_cast<typename Fm::ProviderIface*>(iface);
        if constexpr (requires { menu->get_background_items; }) {
            menu->get_file_items = fileItems;
            menu->get_background_items = folderItems;
        } else {
            menu->get_file_menu_items = fileItems;
            menu->get_folder_menu_items = folderItems;
        }
    }

    // Fills a location-widget provider interface: the GTK 3 file managers
    // call it with the window each time one of its views shows a location.
    // It adds no widget; it notes what the window shows.
    template <class Iface> static void initLocationWidgetProvider(gpointer iface, gpointer) {
        static_cast<Iface*>(iface)->get_widget = [](auto*, const char* uri, auto* window) {
            windowShowsLocation(G_OBJECT(window), uri);
            return decltype(window)(nullptr);
        };
    }

    // For WindowFolders::follow in the GTK 3 managers that come from the same
    // lineage (Nemo, Caja): their window emits "loading_uri" with the
    // location of its active view, when that view goes elsewhere and when
    // another tab becomes the active one, which the location-widget
    // provider (asked once per load, whichever tab loads) does not tell.
    static void followLoadingUri(GObject* window) {
        if (g_signal_lookup("loading_uri", G_OBJECT_TYPE(window)) == 0) {
            return;
        }
        g_signal_connect(window, "loading_uri",
                         G_CALLBACK(+[](GObject* shown, const char* uri, gpointer) {
                             windowShowsLocation(shown, uri);
                         }),
                         nullptr);
    }

    // The windows of a GtkApplication, for WindowFolders::openWindows.
    static GList* applicationWindows(GApplication* application) {
        return gtk_application_get_windows(GTK_APPLICATION(application));
    }

    static constexpr MenuToolkit toolkit = {
        [](const char* name, const char* label, const char* icon) {
            return G_OBJECT(Fm::newItem(name, label, Fm::noTip, icon));
        },
        [] { return G_OBJECT(Fm::newMenu()); },
        [](GObject* menu, GObject* item) {
            Fm::appendItem(reinterpret_cast<Menu*>(menu), reinterpret_cast<MenuItem*>(item));
        },
        [](GObject* item, GObject* menu) {
            Fm::setSubmenu(reinterpret_cast<MenuItem*>(item), reinterpret_cast<Menu*>(menu));
        },
    };

    static constexpr FileInfoAccess fileInfoAccess = {
        [](gpointer info) -> bool { return G_TYPE_CHECK_INSTANCE_TYPE(info, Fm::fileInfoType()); },
        [](gpointer info) { return Fm::location(static_cast<FileInfo*>(info)); },
        [](gpointer info) { return Fm::parentLocation(static_cast<FileInfo*>(info)); },
        [](gpointer info) -> bool { return Fm::isDirectory(static_cast<FileInfo*>(info)); },
    };
};

} // namespace quillet::module

#define QUILLET_FILE_MANAGER(Name, prefix, PREFIX, Iface, NO_TIP)                                  \
    struct Name {                                                                                  \
        using Provider = Name##MenuProvider;                                                       \
        using ProviderIface = Iface;                                                               \
        using FileInfo = Name##FileInfo;                                                           \
        using Menu = Name##Menu;                                                                   \
        using MenuItem = Name##MenuItem;                                                           \
        static constexpr auto newItem = prefix##_menu_item_new;                                    \
        static constexpr auto newMenu = prefix##_menu_new;                                         \
        static constexpr auto appendItem = prefix##_menu_append_item;                              \
        static constexpr auto setSubmenu = prefix##_menu_item_set_submenu;                         \
        static constexpr auto location = prefix##_file_info_get_location;                          \
        static constexpr auto parentLocation = prefix##_file_info_get_parent_location;             \
        static constexpr auto isDirectory = prefix##_file_info_is_directory;                       \
        static constexpr const char* noTip = NO_TIP;                                               \
        static GType fileInfoType() { return PREFIX##_TYPE_FILE_INFO; }                            \
        static GType providerType() { return PREFIX##_TYPE_MENU_PROVIDER; }                        \
    }

// The module is built with hidden visibility; these three are its interface.
// `initialize` is a function of the module taking the GTypeModule.
#define QUILLET_GTYPE_MODULE_ENTRY_POINTS(prefix, initialize)                                      \
    extern "C" {                                                                                   \
    __attribute__((visibility("default"))) void prefix##_module_initialize(GTypeModule* module) {  \
        initialize(module);                                                                        \
    }                                                                                              \
    __attribute__((visibility("default"))) void prefix##_module_shutdown(void) {                   \
        quillet::module::shutdownModule();                                                         \
    }                                                                                              \
    __attribute__((visibility("default"))) void prefix##_module_list_types(const GType** types,    \
                                                                           int* count) {           \
        quillet::module::listModuleTypes(types, count);                                            \
    }                                                                                              \
    }
