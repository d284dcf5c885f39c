// What the user right-clicked, in the extension's terms. Only local folders
// get a menu: a location of another scheme (trash, network, search results)
// yields no selection at all.
#pragma once

#include "finder-extension/core/finder_sync.h"

#include <gio/gio.h>

#include <optional>

namespace quillet::module {

// How one file manager's file-info objects are read. Each file manager has
// its own FileInfo interface with the same few questions.
struct FileInfoAccess {
    bool (*isFileInfo)(gpointer info);
    // New references, or null.
    GFile* (*location)(gpointer info);
    GFile* (*parentLocation)(gpointer info);
    bool (*isDirectory)(gpointer info);
};

// Selected items and the folder holding them; nothing unless every item is
// local and they share one folder.
std::optional<FinderSelection> selectionForFiles(GList* files, const FileInfoAccess& access);

// The folder shown in the window; nothing unless it is local.
std::optional<FinderSelection> selectionForFolder(gpointer currentFolder,
                                                  const FileInfoAccess& access);

} // namespace quillet::module
