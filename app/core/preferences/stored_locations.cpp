#include "stored_locations.h"

#include <algorithm>

namespace quillet::app {

void openFirstStoredLocation(Workspace& workspace, const std::vector<std::string>& stored) {
    for (const std::string& location : stored) {
        if (location.empty()) {
            continue;
        }
        if (location.starts_with("file://")) {
            (void)workspace.openURL(location); // the adapter logs a failure
        } else {
            (void)workspace.openFile(location);
        }
        return;
    }
}

void revealPaths(Workspace& workspace, std::vector<std::string> paths) {
    std::erase_if(paths, [](const std::string& path) { return path.empty(); });
    if (!paths.empty()) {
        (void)workspace.revealItems(paths);
    }
}

} // namespace quillet::app
