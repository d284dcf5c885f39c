#include "selection.h"

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
    FinderSelection selection;
    for (GList* it = files; it != nullptr; it = it->next) {
        if (!access.isFileInfo(it->data)) {
            return std::nullopt;
        }
        auto path = takeLocalPath(access.location(it->data));
        auto parent = takeLocalPath(access.parentLocation(it->data));
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
        selection.selectedItemIsFolder.push_back(access.isDirectory(it->data));
    }
    if (selection.selectedItemURLs.empty()) {
        return std::nullopt;
    }
    return selection;
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
    selection.targetedURL = *path;
    return selection;
}

} // namespace quillet::module
