// File utilities shared by the main application, the helper and the extension.
// Stateless; every failure is a false or empty result, never an exception.
#pragma once

#include <string>
#include <system_error>

namespace quillet {

class AppUtil {
public:
    AppUtil() = delete;

    // The wanted path when nothing is there, else the first free of
    // "<base>-<n>.<ext>" (or "<base>-<n>" without an extension), n = 1, 2, ...
    static std::string genNewPathForPath(const std::string& path);

    // The suite's own copy that keeps permissions; replaces the destination.
    static bool copyItemAtPath(const std::string& source, const std::string& destination,
                               std::error_code* error);
    static bool copyFilePermissionsAtPath(const std::string& source,
                                          const std::string& destination);

    static bool isDir(const std::string& path);

    // A stored location as a path: a "file://" URL string is decoded, any
    // other text is taken as a path already.
    static std::string pathFromStoredLocation(const std::string& stored);
};

} // namespace quillet
