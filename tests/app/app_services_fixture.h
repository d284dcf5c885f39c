// The main application's services made of fakes, in a throw-away home: what
// a test of the delegate, the window or a pane hands to the object under test.
#pragma once

#include "app/core/app_services.h"
#include "app/core/in_memory_login_items.h"
#include "fake_panels.h"
#include "fakes.h"
#include "shared/identifiers.h"
#include "shared/settings_store.h"
#include "shared/xdg_paths.h"
#include "temp_xdg.h"

#include <fstream>
#include <string>
#include <sys/stat.h>

namespace quillet::test {

// A stand-in program at the path (the login item must name one that exists).
inline std::string executableAt(const std::string& path) {
    std::ofstream(path) << "#!/bin/sh\n";
    ::chmod(path.c_str(), 0755);
    return path;
}

struct AppServicesFixture {
    TempXdg xdg; // first: every path below lies in it
    FakeMainQueue queue;
    FakeNotificationCenter notifications;
    FakeNotificationCenter localNotifications;
    FakeAlerts alerts;
    FakePanels panels;
    FakeWorkspace workspace;
    FakeFileTypes fileTypes;
    app::InMemoryLoginItems loginItems;
    FakeHotKeyCenter hotKeys;
    FakeBusNameWatch busNames;
    SettingsStore privateDefaults{SettingsStore::atPath(paths::privateDefaultsFile(ids::kMainApp))};
    // What the shared store gets registered on every fresh handle.
    Value::Dictionary registered;

    app::AppServices services{
        .openSharedDefaults =
            [this] {
                SettingsStore store(ids::kSuiteName);
                store.registerDefaults(registered);
                return store;
            },
        .privateDefaults = privateDefaults,
        .notifications = notifications,
        .localNotifications = localNotifications,
        .mainQueue = queue,
        .alerts = alerts,
        .panels = panels,
        .workspace = workspace,
        .fileTypes = fileTypes,
        .loginItems = loginItems,
        .hotKeys = hotKeys,
        .busNames = busNames,
        .launchHelper = nullptr,
        .translate = [](const std::string& text) { return text; },
        .translatePlural = nullptr,
        .templatesDir = paths::templatesDir(),
        .resourcesDir = xdg.makeDir("resources/app"),
        .helperPath = "/opt/quillet/bin/quillet-helper",
        .launcherPath = executableAt(xdg.makeDir("bin") + "/quillet-launcher"),
        .helpDir = xdg.makeDir("resources/help"),
        .languages = {"C"},
        .fileManagerPaths = {"/usr/bin/nautilus", "/usr/bin/thunar"},
        .osVersion = "Debian GNU/Linux 12 (bookworm) 6.1.0-18-amd64",
    };

    // A fresh handle on the shared store, as another program would open it.
    SettingsStore shared() const { return SettingsStore(ids::kSuiteName); }
};

} // namespace quillet::test
