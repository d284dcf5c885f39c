#include "start_at_login_controller.h"

#include "shared/identifiers.h"
#include "shared/keys.h"

#include <unistd.h>

namespace quillet::app {

StartAtLoginController::StartAtLoginController(LoginItems& loginItems,
                                               const std::string& launcherExecutable)
    : loginItems_(loginItems), executable_(launcherExecutable) {
    if (!executable_.empty()) {
        identifier_ = ids::kLauncher;
    }
    (void)startAtLogin();
}

bool StartAtLoginController::startAtLogin() {
    if (identifier_.empty()) {
        return false;
    }
    const bool state = loginItems_.isRegistered(identifier_);
    updateEnabled(state);
    return state;
}

Status StartAtLoginController::setStartAtLogin(bool flag) {
    constexpr const char* kAction = "change the start at login";
    if (identifier_.empty()) {
        return Error::withDetail(kAction, {}, "the launcher is not installed",
                                 std::errc::no_such_file_or_directory);
    }
    // An entry that would start a missing program is never written.
    if (flag && ::access(executable_.c_str(), X_OK) != 0) {
        Error missing = Error::fromErrno(kAction, executable_);
        updateEnabled(loginItems_.isRegistered(identifier_));
        return missing;
    }
    Status registered = loginItems_.setRegistered(identifier_, executable_, flag);
    if (!registered) {
        updateEnabled(loginItems_.isRegistered(identifier_));
        return registered.error().during(kAction);
    }
    updateEnabled(flag);
    return {};
}

void StartAtLoginController::updateEnabled(bool value) {
    if (value == enabled_) {
        return;
    }
    enabled_ = value;
    if (enabledChanged) {
        enabledChanged(value);
    }
}

Status setStartAtLogin(LoginItems& loginItems, const std::string& launcherExecutable, bool wanted) {
    StartAtLoginController controller(loginItems, launcherExecutable);
    if (controller.startAtLogin() == wanted) {
        return {};
    }
    return controller.setStartAtLogin(wanted);
}

bool loginItemWanted(const SettingsStore& sharedDefaults) {
    return sharedDefaults.boolForKey(keys::kShouldLaunchHelper) ||
           sharedDefaults.boolForKey(keys::kLaunchAtLogin);
}

bool isLauncherRunning(const Workspace& workspace) {
    return workspace.isProgramRunning(ids::kLauncher);
}

} // namespace quillet::app
