// The login launcher's logic: at login it starts the main application and/or
// the helper, each only when the settings ask for it and no copy of it runs
// yet, and ends a little later. The delay is what lets the main application
// see that it was started at login (the launcher's bus name still has an
// owner when it asks).
#pragma once

#include "shared/error.h"
#include "shared/ports/main_queue.h"
#include "shared/ports/workspace.h"
#include "shared/settings_store.h"

#include <chrono>
#include <functional>
#include <string>

namespace quillet::launcher {

inline constexpr std::chrono::seconds kQuitDelay{11};

// Where the two programs are: beside the launcher's own executable.
struct LaunchPaths {
    std::string appPath;
    std::string helperPath;

    static LaunchPaths besideExecutable(const std::string& launcherExecutable);
};

struct LauncherPorts {
    SettingsStore& sharedDefaults;
    Workspace& workspace;
    MainQueue& mainQueue;
    // A diagnostic line for the system log ("appPath: ...").
    std::function<void(const std::string&)> log;
    // Ends the launcher's main loop.
    std::function<void()> terminate;
};

class AppDelegate {
public:
    AppDelegate(LauncherPorts ports, LaunchPaths paths);

    void applicationDidFinishLaunching();
    // Starts the program unless a program with the id owns its bus name.
    [[nodiscard]] Status launchAppAtPath(const std::string& path, const std::string& id);

private:
    LauncherPorts ports_;
    LaunchPaths paths_;
};

} // namespace quillet::launcher
