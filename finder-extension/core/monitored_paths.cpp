#include "monitored_paths.h"

#include "monitored_set.h"
#include "shared/app_util.h"
#include "shared/records.h"
#include "shared/request_url.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace quillet {

namespace {

constexpr std::string_view kFileScheme = "file://";

std::optional<std::string> pathOfFileURL(std::string_view url) {
    std::string_view rest = url.substr(kFileScheme.size());
    std::size_t end = rest.find_first_of("?#");
    if (end != std::string_view::npos) {
        rest = rest.substr(0, end);
    }
    // file://host/path: the path starts at the first slash after the host.
    std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos) {
        return std::nullopt;
    }
    return percentDecode(rest.substr(slash));
}

} // namespace

std::optional<std::string> folderPathFromLocation(const std::string& value) {
    if (std::string_view(value).starts_with(kFileScheme)) {
        auto path = pathOfFileURL(value);
        return path ? normalizedFolderPath(*path) : std::nullopt;
    }
    return normalizedFolderPath(value);
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
            std::string path = root + "/" + name;
            if (AppUtil::isDir(path)) {
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
