// What the user right-clicked, in the extension's terms. Only local folders
// get a menu: a location of another scheme (trash, network, search results)
// yields no selection at all.
#pragma once

#include "finder-extension/finder_sync.h"

#include <glib.h>
#include <optional>

typedef struct _NautilusFileInfo NautilusFileInfo;

namespace quillet::nautilus {

// Selected items and the folder holding them; nothing unless every item is
// local and they share one folder.
std::optional<FinderSelection> selectionForFiles(GList* files);

// The folder shown in the window; nothing unless it is local.
std::optional<FinderSelection> selectionForBackground(NautilusFileInfo* currentFolder);

} // namespace quillet::nautilus
