// File utilities shared by the main application, the helper and the extension.
// Stateless; every failure is a false or empty result, never an exception.
#pragma once

#include "ports/alerts.h"
#include "ports/file_types.h"
#include "ports/notification_center.h"
#include "value.h"

#include <chrono>
#include <optional>
#include <string>
#include <system_error>

namespace quillet {

class AppUtil {
public:
    AppUtil() = delete;

    using Clock = std::chrono::system_clock;

    // The wanted path when nothing is there, else the first free of
    // "<base>-<n>.<ext>" (or "<base>-<n>" without an extension), n = 1, 2, ...
    static std::string genNewPathForPath(const std::string& path);

    static std::optional<std::string>
    humanReadableFileTypeForFileExtension(const FileTypes& types, const std::string& extension);

    static bool makeItemExecutableAtPath(const std::string& path);
    static bool removeExecutableFlagAtPath(const std::string& path);
    // Sets or clears the three execute bits of a file; false for a folder or
    // a missing item. Every other permission bit is kept.
    static bool makeItemExecutable(bool flag, const std::string& path);

    // The suite's own copy that keeps permissions; replaces the destination.
    static bool copyItemAtPath(const std::string& source, const std::string& destination,
                               std::error_code* error);
    static bool copyFilePermissionsAtPath(const std::string& source,
                                          const std::string& destination);

    static void showAlert(Alerts& alerts, const std::optional<std::string>& title,
                          const std::optional<std::string>& message);
    static void showAlert(Alerts& alerts, const std::optional<std::string>& title,
                          const std::optional<std::string>& message, AlertStyle style);

    // A bookmark names a folder by its path, device and inode; it resolves
    // while that same folder is still at that path.
    static std::optional<Value::Data> bookmarkFromURL(const std::string& folderPath);
    static std::optional<std::string> urlFromBookmark(const Value::Data& bookmark);

    // The refresh notification: name = the suite name, object = the key.
    static void postRefreshNotification(NotificationCenter& center, const std::string& key);

    // Whether the path, or its nearest existing ancestor, is writable.
    static bool isWritableFileAtPath(const std::optional<std::string>& path);
    // Why it is not ("Permission denied", "Read-only file system"); empty when
    // it is. `answeredBy` receives the ancestor that answered.
    [[nodiscard]] static std::error_code writabilityError(const std::string& path,
                                                          std::string* answeredBy = nullptr);

    // Sets the dates of the item and, for a folder, of everything below it.
    static void updateDateForPath(Clock::time_point date, const std::string& path);
    // Sets the modification and access dates of the item itself.
    static void updateDateForFile(Clock::time_point date, const std::string& path);

    static bool isDir(const std::string& path);

    // A stored location as a path: a "file://" URL string is decoded, any
    // other text is taken as a path already.
    static std::string pathFromStoredLocation(const std::string& stored);
};

} // namespace quillet
