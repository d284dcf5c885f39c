// Keys of the shared settings store and of the records kept in its arrays.
#pragma once

namespace quillet::keys {

inline constexpr const char* kFileTemplates = "fileTemplates";
inline constexpr const char* kMonitoredPaths = "monitoredPaths";
inline constexpr const char* kIncludeExternalDrives = "includeExternalDrives";
inline constexpr const char* kOpenFileOnCreation = "openFileOnCreation";
inline constexpr const char* kShowFileOnCreation = "showFileOnCreation";
inline constexpr const char* kRunInBackground = "runInBackground";
inline constexpr const char* kHideMenuForFiles = "hideMenuForFiles";
inline constexpr const char* kCascadeMenu = "cascadeMenu";
inline constexpr const char* kSkipFilename = "skipFilename";
inline constexpr const char* kShowInMenuBar = "showInMenuBar";
inline constexpr const char* kShowFileIcon = "showFileIcon";
inline constexpr const char* kPlaySound = "playSound";
inline constexpr const char* kLocalizedStrings = "localizedStrings";
inline constexpr const char* kAuthorizedDirs = "authorizedDirs";
inline constexpr const char* kShouldLaunchHelper = "shouldLaunchHelper";
inline constexpr const char* kLaunchAtLogin = "launchAtLogin";

// File template record fields.
inline constexpr const char* kEnabled = "enabled";
inline constexpr const char* kTitle = "title";
inline constexpr const char* kFilePath = "filePath";
inline constexpr const char* kPrefix = "prefix";
inline constexpr const char* kSuffix = "suffix";
inline constexpr const char* kExecutable = "executable";
inline constexpr const char* kShortcut = "shortcut";
// Optional: fill the variables into a text template's contents (default false).
inline constexpr const char* kExpandsVariables = "expandsVariables";
// Optional: the served folders where the template is offered (default: all).
inline constexpr const char* kLimitedToPaths = "limitedToPaths";

// Monitored location and authorised-directory record fields.
inline constexpr const char* kPath = "path";
inline constexpr const char* kBookmarkData = "bookmarkData";

// Shortcut dictionary fields: an X11 keysym and an X11 modifier mask.
inline constexpr const char* kShortcutKeyCode = "SRShortcutKeyCode";
inline constexpr const char* kShortcutModifierFlags = "SRShortcutModifierFlagsKey";

// The three texts that go through the user's overrides.
inline constexpr const char* kNewFileText = "New File";
inline constexpr const char* kNewFormatText = "New %@";
inline constexpr const char* kAppNameText = "Quillet";

} // namespace quillet::keys
