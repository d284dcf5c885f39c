// Selected items, as a file manager describes them, turned into what the
// extension acts on. Every file manager's module reads its own item objects
// into this form.
#pragma once

#include "finder_sync.h"

#include <optional>
#include <string>
#include <vector>

namespace quillet {

struct SelectedItem {
    std::string path;
    std::string parentPath;
    // The file manager's word: asking the disk could hang on a dead mount,
    // on the file manager's main thread.
    bool isFolder = false;
};

// The items and the folder holding them; nothing for no items, or for items
// of several folders (a search, recent files), where no single folder is
// being acted in.
std::optional<FinderSelection> selectionOfItems(const std::vector<SelectedItem>& items);

} // namespace quillet
