// The menu provider of one file manager, made from a small description of
// its extension library. Every supported file manager has the same pieces
// under its own names: a menu item (name, label, tip, icon) that emits
// "activate", a menu of items, a file-info interface, and a provider asked
// for the items of selected files and of the folder's background, with or
// without the window as a second argument.
//
// A description is a struct with:
//   types      Provider, FileInfo, Menu, MenuItem
//   functions  newItem, newMenu, appendItem, setSubmenu, location,
//              parentLocation, isDirectory, fileInfoType
#pragma once

#include "menu_provider.h"
#include "selection.h"

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

    static constexpr MenuToolkit toolkit = {
        // Some file managers refuse an item without a tip; ours have none.
        [](const char* name, const char* label, const char* icon) {
            return G_OBJECT(Fm::newItem(name, label, "", icon));
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
