#include "app_delegate.h"

#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/xdg_paths.h"

namespace quillet::launcher {

LaunchPaths LaunchPaths::besideExecutable(const std::string& launcherExecutable) {
    const std::string dir = paths::deletingLastPathComponent(launcherExecutable);
    return {paths::appendingPathComponent(dir, "quillet"),
            paths::appendingPathComponent(dir, "quillet-helper")};
}

AppDelegate::AppDelegate(LauncherPorts ports, LaunchPaths paths)
    : ports_(std::move(ports)), paths_(std::move(paths)) {}

void AppDelegate::applicationDidFinishLaunching() {
    // Both settings are read before anything starts: the main application,
    // once running, may change them.
    const bool launchApp = ports_.sharedDefaults.boolForKey(keys::kLaunchAtLogin);
    const bool launchHelper = ports_.sharedDefaults.boolForKey(keys::kShouldLaunchHelper);
    if (launchApp) {
        ports_.log("appPath: " + paths_.appPath);
        // A failed launch is not reported: there is nobody to tell at login.
        (void)launchAppAtPath(paths_.appPath, ids::kMainApp);
    }
    if (launchHelper) {
        ports_.log("appPath: " + paths_.helperPath);
        (void)launchAppAtPath(paths_.helperPath, ids::kHelper);
    }
    ports_.mainQueue.postAfter(kQuitDelay, [terminate = ports_.terminate] { terminate(); });
}

Status AppDelegate::launchAppAtPath(const std::string& path, const std::string& id) {
    if (ports_.workspace.isProgramRunning(id)) {
        return {};
    }
    if (!ports_.workspace.launchProgram(path, {})) {
        return Error::withDetail("start the program", path, "it could not be started",
                                 std::errc::no_such_process);
    }
    return {};
}

} // namespace quillet::launcher
