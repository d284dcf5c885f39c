#include "selection.h"

#include "finder-extension/core/item_selection.h"

namespace quillet::module {

namespace {

std::optional<std::string> localPath(GFile* location) {
    if (location == nullptr || !g_file_has_uri_scheme(location, "file")) {
        return std::nullopt;
    }
    char* path = g_file_get_path(location);
    if (path == nullptr) {
        return std::nullopt;
    }
    std::string result(path);
    g_free(path);
    return result;
}

std::optional<std::string> takeLocalPath(GFile* location) {
    auto path = localPath(location);
    if (location != nullptr) {
        g_object_unref(location);
    }
    return path;
}

} // namespace

std::optional<FinderSelection> selectionForFiles(GList* files, const FileInfoAccess& access) {
    std::vector<SelectedItem> items;
    for (GList* it = files; it != nullptr; it = it->next) {
        if (!access.isFileInfo(it->data)) {
            return std::nullopt;
        }
        auto path = takeLocalPath(access.location(it->data));
        auto parent = takeLocalPath(access.parentLocation(it->data));
        if (!path || !parent) {
            return std::nullopt;
        }
        items.push_back({*path, *parent, static_cast<bool>(access.isDirectory(it->data))});
    }
    return selectionOfItems(items);
}

std::optional<FinderSelection> selectionForFolder(gpointer currentFolder,
                                                  const FileInfoAccess& access) {
    if (currentFolder == nullptr || !access.isFileInfo(currentFolder)) {
        return std::nullopt;
    }
    auto path = takeLocalPath(access.location(currentFolder));
    if (!path) {
        return std::nullopt;
    }
    FinderSelection selection;
    selection.targetedURL = std::move(path);
    return selection;
}

} // namespace quillet::module
