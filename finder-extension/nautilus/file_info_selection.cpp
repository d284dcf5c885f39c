#include "file_info_selection.h"

#include <nautilus-extension.h>

namespace quillet::nautilus {

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

std::optional<FinderSelection> selectionForFiles(GList* files) {
    FinderSelection selection;
    for (GList* it = files; it != nullptr; it = it->next) {
        if (!NAUTILUS_IS_FILE_INFO(it->data)) {
            return std::nullopt;
        }
        auto* info = NAUTILUS_FILE_INFO(it->data);
        auto path = takeLocalPath(nautilus_file_info_get_location(info));
        auto parent = takeLocalPath(nautilus_file_info_get_parent_location(info));
        if (!path || !parent) {
            return std::nullopt;
        }
        if (selection.targetedURL && *selection.targetedURL != *parent) {
            // Items from several folders (a search, recent files): no single
            // folder is being acted in.
            return std::nullopt;
        }
        selection.targetedURL = *parent;
        selection.selectedItemURLs.push_back(*path);
        // The file manager knows already; asking the disk could hang on a
        // dead mount, on the file manager's main thread.
        selection.selectedItemIsFolder.push_back(nautilus_file_info_is_directory(info) != FALSE);
    }
    if (selection.selectedItemURLs.empty()) {
        return std::nullopt;
    }
    return selection;
}

std::optional<FinderSelection> selectionForBackground(NautilusFileInfo* currentFolder) {
    if (currentFolder == nullptr || !NAUTILUS_IS_FILE_INFO(currentFolder)) {
        return std::nullopt;
    }
    auto path = takeLocalPath(nautilus_file_info_get_location(currentFolder));
    if (!path) {
        return std::nullopt;
    }
    FinderSelection selection;
    selection.targetedURL = *path;
    return selection;
}

} // namespace quillet::nautilus
