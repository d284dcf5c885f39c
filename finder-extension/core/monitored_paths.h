// Computing the served folders from the settings and the mounted drives.
#pragma once

#include "shared/value.h"

#include <optional>
#include <string>
#include <vector>

namespace quillet {

// The folder a monitored location's `path` names, normalized. A value that
// begins with "file://" is read as a URL of a file on this computer
// (pathFromLocation). Nothing for an empty or relative path, or a URL of
// another host: resolving it here would serve some arbitrary folder.
std::optional<std::string> folderPathFromLocation(const std::string& value);

// Every directory directly inside the given roots (symbolic links followed,
// files skipped), sorted by name within each root. Unreadable roots add nothing.
std::vector<std::string> externalDriveFolders(const std::vector<std::string>& roots);

// The enabled records' folders in stored order (not tested for existence;
// records without a usable `path` skipped), then the drive folders when
// asked for. Duplicates are left to MonitoredSet. A non-array yields no records.
std::vector<std::string> monitoredFolders(const Value& monitoredPaths, bool includeExternalDrives,
                                          const std::vector<std::string>& mediaRoots);

} // namespace quillet
