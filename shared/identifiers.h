// The suite's fixed names: bus names, ids, the shared store's suite name.
#pragma once

namespace quillet::ids {

inline constexpr const char* kTeamIdentifier = "QLT7K2M9XA";
inline constexpr const char* kMainApp = "org.quillet.Quillet";
inline constexpr const char* kHelper = "org.quillet.QuilletHelper";
// The Nautilus module owns kExtension; the modules of the other file managers
// own a name below it, so that "is the extension running" asks one family.
inline constexpr const char* kExtension = "org.quillet.Quillet.QuilletExtension";
inline constexpr const char* kExtensionNemo = "org.quillet.Quillet.QuilletExtension.Nemo";
inline constexpr const char* kExtensionCaja = "org.quillet.Quillet.QuilletExtension.Caja";
inline constexpr const char* kExtensionThunar = "org.quillet.Quillet.QuilletExtension.Thunar";
inline constexpr const char* kExtensionDolphin = "org.quillet.Quillet.QuilletExtension.Dolphin";
inline constexpr const char* kShare = "org.quillet.Quillet.QuilletShare";
inline constexpr const char* kLauncher = "org.quillet.QuilletLauncher";
inline constexpr const char* kSuiteName = "QLT7K2M9XA.org.quillet.Quillet";

// The broadcast channel every program posts and observes notifications on.
inline constexpr const char* kNotificationsInterface = "org.quillet.Notifications";
inline constexpr const char* kNotificationsPath = "/org/quillet/Notifications";
inline constexpr const char* kNotificationsSignal = "Posted";

inline constexpr const char* kHelperObjectPath = "/org/quillet/QuilletHelper";
// In the platform data of a creation request (the Open call), the file
// manager it comes from ("nautilus", "nemo", "caja", "thunar", "dolphin"),
// for showing the new file there; other senders omit it.
inline constexpr const char* kFileManagerPlatformDataKey = "quillet-file-manager";
inline constexpr const char* kUrlScheme = "quillet";
// The helper's action (org.freedesktop.Application.ActivateAction) that does
// what a press of a template's shortcut does; its parameter is the int32
// template index.
inline constexpr const char* kShortcutAction = "shortcut";

// The user script the helper installs into its scripts folder and runs to
// learn the file manager's current folder.
inline constexpr const char* kHelperUserScript = "QuilletHelper.sh";

// Object of the quit notification posted under kHelper.
inline constexpr const char* kQuitObject = "quit";

} // namespace quillet::ids
