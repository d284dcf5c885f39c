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

void StartAtLoginController::setStartAtLogin(bool flag) {
    if (identifier_.empty()) {
        return;
    }
    // An entry that would start a missing program is never written.
    if (flag && ::access(executable_.c_str(), X_OK) != 0) {
        updateEnabled(loginItems_.isRegistered(identifier_));
        return;
    }
    const bool ok = loginItems_.setRegistered(identifier_, executable_, flag);
    updateEnabled(ok ? flag : loginItems_.isRegistered(identifier_));
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

void setStartAtLogin(LoginItems& loginItems, const std::string& launcherExecutable, bool wanted) {
    StartAtLoginController controller(loginItems, launcherExecutable);
    if (controller.startAtLogin() != wanted) {
        controller.setStartAtLogin(wanted);
    }
}

bool loginItemWanted(const SettingsStore& sharedDefaults) {
    return sharedDefaults.boolForKey(keys::kShouldLaunchHelper) ||
           sharedDefaults.boolForKey(keys::kLaunchAtLogin);
}

bool isLauncherRunning(const Workspace& workspace) {
    return workspace.isProgramRunning(ids::kLauncher);
}

} // namespace quillet::app
