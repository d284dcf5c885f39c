// Start at login: one login item, the launcher, registered exactly when the
// main application or the helper is to start at login. The launcher decides
// at login which of the two it starts.
#pragma once

#include "shared/error.h"
#include "shared/ports/login_items.h"
#include "shared/ports/workspace.h"
#include "shared/settings_store.h"

#include <functional>
#include <string>

namespace quillet::app {

class StartAtLoginController {
public:
    // The login item is the launcher executable. When it is not there (a
    // broken installation) nothing is registered, but an item left from
    // earlier can still be read and removed.
    StartAtLoginController(LoginItems& loginItems, const std::string& launcherExecutable);

    const std::string& identifier() const { return identifier_; }
    const std::string& executable() const { return executable_; }

    // Whether the item is registered now; brings `enabled` up to date.
    bool startAtLogin();
    // Registers or unregisters; `enabled` becomes whether the item is
    // registered afterwards. Fails when the launcher is missing (then nothing
    // is registered) or the desktop refused the change.
    [[nodiscard]] Status setStartAtLogin(bool flag);

    // Mirror of the registration as last seen or set.
    bool enabled() const { return enabled_; }
    // Told of every change of `enabled`.
    std::function<void(bool enabled)> enabledChanged;

private:
    void updateEnabled(bool value);

    LoginItems& loginItems_;
    std::string identifier_;
    std::string executable_;
    bool enabled_ = false;
};

// Makes the registration match `wanted`, touching it only when it differs.
[[nodiscard]] Status setStartAtLogin(LoginItems& loginItems, const std::string& launcherExecutable,
                                     bool wanted);

// What the registration should be at quit: the helper is to be started at
// login, or else the main application is.
bool loginItemWanted(const SettingsStore& sharedDefaults);

// Whether the login launcher runs (it holds its bus name while it starts us),
// which means this start is a start at login.
bool isLauncherRunning(const Workspace& workspace);

} // namespace quillet::app
