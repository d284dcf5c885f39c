// The main application's windows and tray item, in Qt: what the delegate
// decides, done. Builds the preferences window on first use, keeps the tray
// item and its menu, the popover, and runs the delegate's alerts.
#pragma once

#include "app/core/app_services.h"
#include "app/core/application_shell.h"

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include <functional>

class QMenu;

namespace quillet::app {

class AppDelegate;
class PopoverViewController;
class PreferencesWindow;

class QtApplicationShell final : public QObject, public ApplicationShell {
    Q_OBJECT

public:
    explicit QtApplicationShell(AppServices& services);
    ~QtApplicationShell() override;

    // The delegate that the tray item, its menu and the window report to.
    void setDelegate(AppDelegate* delegate) { delegate_ = delegate; }
    // What "Quit Quillet" does (the program's single way out).
    std::function<void()> onQuit;

    PreferencesWindow* preferencesWindow();
    bool hasPreferencesWindow() const;
    QSystemTrayIcon* statusItem() const { return statusItem_; }
    // Built on first use: the window shown at start needs neither it nor its icons.
    QMenu* statusMenu();
    PopoverViewController* popover() const;
    // The popover as an ordinary window: the way to the templates where no
    // tray shows Quillet's icon (the desktop entry's "Templates" action).
    void showPopoverAsWindow();
    ActivationPolicy activationPolicy() const { return policy_; }

    // ApplicationShell.
    void showPreferencesWindow() override;
    void setActivationPolicy(ActivationPolicy policy) override { policy_ = policy; }
    void showAboutPanel() override;
    bool isSystemTrayAvailable() const override;
    void createStatusItem() override;
    void removeStatusItem() override;
    void popUpStatusMenu() override;
    bool hasPopover() const override;
    void createPopover() override;
    bool isPopoverShown() const override;
    void showPopover() override;
    void closePopover() override;
    void releasePopover() override;
    int runAlert(const AlertRequest& request) override;

private:
    QString text(const char* english) const;
    QMenu* buildStatusMenu();
    void statusItemActivated(QSystemTrayIcon::ActivationReason reason);

    // A tray host may come later (the panel starts after us at login) or go.
    void checkTrayHost();

    AppServices& services_;
    AppDelegate* delegate_ = nullptr;
    bool trayAvailable_ = false;
    QPointer<PreferencesWindow> window_;
    QSystemTrayIcon* statusItem_ = nullptr;
    QMenu* statusMenu_ = nullptr;
    QPointer<PopoverViewController> popover_;
    ActivationPolicy policy_ = ActivationPolicy::Regular;
};

} // namespace quillet::app
