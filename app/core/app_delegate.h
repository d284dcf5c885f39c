// The main application's delegate: its start-up and shut-down, the first-run
// templates, the extension question, the helper's launches and the tray
// item's decisions. Toolkit-free: the windows are behind ApplicationShell,
// every platform service behind the ports of AppServices.
#pragma once

#include "app/core/app_services.h"
#include "app/core/application_shell.h"
#include "app/core/status_click.h"
#include "shared/error.h"
#include "shared/while_alive.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace quillet::app {

// Keys of the main application's private defaults.
inline constexpr const char* kExtensionConfirmedKey = "finderSyncExtensionConfirmed";
inline constexpr const char* kLastOSVersionKey = "lastOSVersion";
// The in-process notification after which the tray item follows showInMenuBar.
inline constexpr const char* kStatusItemShouldUpdate = "statusItemShouldUpdate";

inline constexpr std::chrono::milliseconds kConfirmExtensionDelay{500};
inline constexpr std::chrono::milliseconds kReleasePopoverDelay{300};

class AppDelegate {
public:
    AppDelegate(AppServices& services, ApplicationShell& shell);
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Ends at once (hasTerminated) when the shared store cannot be read and
    // the user chose to quit rather than start with the default settings.
    void applicationDidFinishLaunching();
    // Runs once, whichever way the program ends (menu, signal, session end).
    void applicationWillTerminate();
    // A second start of the program: shows the preferences window when none is
    // visible. Always true.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);

    void checkAndCopyTemplates();
    void confirmExtension();
    // Starts the helper once after each system update (the version it last
    // ran under is stored), so that it registers itself with the new system.
    void launchHelperOncePerSystemVersion();
    // Starts the helper unless it runs; never reports a failure.
    void launchHelper();
    // Brings the desktop's shortcut entries in step with the stored templates.
    void syncDesktopShortcuts();

    void updateStatusMenu();
    void activateStatusMenu();
    void removeStatusMenu();
    void didClickStatusItem(const StatusClick& click);
    // The tray item's menu entry "Templates…": the popover, whatever is held.
    void showTemplates();

    void openPreferences();
    void showAboutPanel();
    void windowWillClose();
    void windowDidBecomeMain();

    // Whether the login launcher runs, which means this start is a start at login.
    bool isLauncherRunning() const;
    // Registers or unregisters the login launcher, only when that changes it.
    [[nodiscard]] Status setStartAtLogin(bool enabled);

    bool statusItemShown() const { return statusItemShown_; }
    bool hasTerminated() const { return terminated_; }
    // The shared store as of the last fresh handle (one is opened when none is).
    SettingsStore& sharedDefaults();

private:
    // Whether the shared store can be read, or was found unreadable and
    // removed after the user said to start with the default settings.
    bool settingsReadableOrReset();
    void seedMonitoredPaths();
    bool extensionAlertOpensSetUp();
    void markExtensionConfirmed();
    // Whether the tray item can be shown and the user wants it.
    bool wantsStatusItem();

    AppServices& services_;
    ApplicationShell& shell_;
    std::optional<SettingsStore> sharedDefaults_;
    bool statusItemShown_ = false;
    bool terminated_ = false;
    std::optional<NotificationCenter::Token> statusObserver_;
    std::optional<NotificationCenter::Token> templatesObserver_;
    // Work scheduled on the main queue holds this weakly.
    LifeToken<AppDelegate> self_;
};

} // namespace quillet::app
