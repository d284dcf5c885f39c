// What the main application's objects are given at start-up: the ports, the
// stores and the fixed locations. The application builds one and hands it to
// its delegate and to every pane; nothing here is a global.
#pragma once

#include "shared/ports/alerts.h"
#include "shared/ports/bus_name_watch.h"
#include "shared/ports/file_types.h"
#include "shared/ports/hot_key_center.h"
#include "shared/ports/login_items.h"
#include "shared/ports/main_queue.h"
#include "shared/ports/notification_center.h"
#include "shared/ports/panels.h"
#include "shared/ports/shortcut_registry.h"
#include "shared/ports/workspace.h"
#include "shared/settings_store.h"

#include <functional>
#include <string>
#include <vector>

namespace quillet::app {

struct AppServices {
    // A fresh handle on the shared store, with the main application's
    // registered defaults, so that a value another program just wrote is seen.
    std::function<SettingsStore()> openSharedDefaults;
    // The main application's own settings (window frame, settled questions).
    SettingsStore& privateDefaults;

    NotificationCenter& notifications;      // the suite's broadcast on the session bus
    NotificationCenter& localNotifications; // this process only ("statusItemShouldUpdate", ...)
    MainQueue& mainQueue;
    Alerts& alerts;
    Panels& panels;
    Workspace& workspace;
    FileTypes& fileTypes;
    LoginItems& loginItems;
    HotKeyCenter& hotKeys;
    BusNameWatch& busNames; // programs of the suite coming and going

    // Starts the helper unless it runs (the application delegate's launch).
    std::function<void()> launchHelper;

    // The program's own catalog: English text in, the user's language out.
    std::function<std::string(const std::string&)> translate;
    // The same for a text with a number: the form for `count`. Unset: English.
    std::function<std::string(const std::string& singular, const std::string& plural,
                              unsigned long count)>
        translatePlural;

    std::string templatesDir; // $XDG_DATA_HOME/quillet/Templates
    std::string resourcesDir; // <prefix>/share/quillet/app
    std::string helperPath;   // quillet-helper beside quillet
    std::string launcherPath; // quillet-launcher beside quillet
    std::string helpDir;      // <prefix>/share/quillet/help, the HTML pages
    // The user's languages in gettext's order (LANGUAGE, then the locale),
    // for what is chosen by language at run time (the help pages).
    std::vector<std::string> languages;
    // The file managers Quillet has a module for that are on PATH,
    // restarted to load the extension.
    std::vector<std::string> fileManagerPaths;
    std::string osVersion; // the system's version string, for the helper's
                           // launch once per system version
    // The desktop's list of custom shortcuts, kept in step with the
    // templates; null where the desktop keeps none (the helper grabs keys).
    ShortcutRegistry* shortcutRegistry = nullptr;
    // Which mechanism carries the shortcuts, or why none does (English).
    std::string shortcutMechanism{};
};

} // namespace quillet::app
