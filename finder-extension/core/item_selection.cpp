#include "item_selection.h"

namespace quillet {

std::optional<FinderSelection> selectionOfItems(const std::vector<SelectedItem>& items) {
    if (items.empty()) {
        return std::nullopt;
    }
    FinderSelection selection;
    selection.targetedURL = items.front().parentPath;
    for (const auto& item : items) {
        if (item.parentPath != *selection.targetedURL) {
            return std::nullopt;
        }
        selection.selectedItemURLs.push_back(item.path);
        selection.selectedItemIsFolder.push_back(item.isFolder);
    }
    return selection;
}

} // namespace quillet
