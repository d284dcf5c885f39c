#include "stored_locations.h"

#include <algorithm>

namespace quillet::app {

Status openFirstStoredLocation(Workspace& workspace, const std::vector<std::string>& stored) {
    for (const std::string& location : stored) {
        if (location.empty()) {
            continue;
        }
        return location.starts_with("file://") ? workspace.openURL(location)
                                               : workspace.openFile(location);
    }
    return {};
}

Status revealPaths(Workspace& workspace, std::vector<std::string> paths) {
    std::erase_if(paths, [](const std::string& path) { return path.empty(); });
    return paths.empty() ? Status{} : workspace.revealItems(paths);
}

} // namespace quillet::app
