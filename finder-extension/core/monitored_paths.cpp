#include "monitored_paths.h"

#include "monitored_set.h"
#include "shared/file_uri.h"
#include "shared/files/item_lookup.h"
#include "shared/records.h"
#include "shared/xdg_paths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace quillet {

std::optional<std::string> folderPathFromLocation(const std::string& value) {
    const Expected<std::string> path = pathFromLocation(value);
    return path ? normalizedFolderPath(*path) : std::nullopt;
}

std::vector<std::string> externalDriveFolders(const std::vector<std::string>& roots) {
    std::vector<std::string> folders;
    for (const auto& root : roots) {
        std::error_code ec;
        std::vector<std::string> names;
        for (std::filesystem::directory_iterator it(root, ec), end; !ec && it != end;
             it.increment(ec)) {
            names.push_back(it->path().filename().string());
        }
        std::sort(names.begin(), names.end());
        for (const auto& name : names) {
            const std::string path = paths::appendingPathComponent(root, name);
            if (isFolder(path)) {
                if (auto normalized = normalizedFolderPath(path)) {
                    folders.push_back(*normalized);
                }
            }
        }
    }
    return folders;
}

std::vector<std::string> monitoredFolders(const Value& monitoredPaths, bool includeExternalDrives,
                                          const std::vector<std::string>& mediaRoots) {
    std::vector<std::string> folders;
    if (const Value::Array* records = monitoredPaths.asArray()) {
        for (const Value& value : *records) {
            auto location = MonitoredLocation::fromValue(value);
            if (!location || !location->enabled || !location->path) {
                continue;
            }
            if (auto folder = folderPathFromLocation(*location->path)) {
                folders.push_back(*folder);
            }
        }
    }
    if (includeExternalDrives) {
        auto drives = externalDriveFolders(mediaRoots);
        folders.insert(folders.end(), drives.begin(), drives.end());
    }
    return folders;
}

} // namespace quillet
