#include "app/ui/qt_application_shell.h"

#include "app/core/app_delegate.h"
#include "app/ui/preferences/preferences_panes.h"
#include "app/ui/preferences/preferences_window.h"
#include "app/ui/template_popover.h"
#include "platform/linux/qt/qt_text.h"
#include "shared/xdg_paths.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace quillet::app {

using platform::qt::qtPath;
using platform::qt::qtText;

namespace {

QIcon appIcon(const AppServices& services, const char* name, const char* file) {
    // Installed, the icon theme has it; in the build tree, the resource copy.
    return QIcon::fromTheme(
        name, QIcon(qtPath(paths::appendingPathComponent(services.resourcesDir, file))));
}

} // namespace

QtApplicationShell::QtApplicationShell(AppServices& services) : services_(services) {
    // The icon is drawn from its vector file for every size the window
    // system keeps: given once the event loop runs, after the start's window
    // is on the screen, it reaches every window then.
    QTimer::singleShot(0, this, [this] {
        QGuiApplication::setWindowIcon(
            appIcon(services_, "org.quillet.Quillet", "org.quillet.Quillet.svg"));
    });
    trayAvailable_ = QSystemTrayIcon::isSystemTrayAvailable();
    // Qt tells no one when a tray host appears or leaves: look now and then,
    // and let the tray item follow the option again when that changed.
    auto* trayWatch = new QTimer(this);
    trayWatch->setInterval(std::chrono::seconds(3));
    connect(trayWatch, &QTimer::timeout, this, &QtApplicationShell::checkTrayHost);
    trayWatch->start();
}

void QtApplicationShell::checkTrayHost() {
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    if (available != trayAvailable_) {
        trayAvailable_ = available;
        services_.localNotifications.post(kStatusItemShouldUpdate, "");
    }
}

QtApplicationShell::~QtApplicationShell() {
    delete statusItem_;
    delete window_;
    delete popover_;
    delete statusMenu_;
}

bool QtApplicationShell::hasPreferencesWindow() const {
    return window_ != nullptr;
}

PopoverViewController* QtApplicationShell::popover() const {
    return popover_;
}

void QtApplicationShell::showPopoverAsWindow() {
    if (popover_ == nullptr) {
        createPopover();
    }
    if (popover_->isDetached()) {
        popover_->showNearPointer(); // shown again, raised
        return;
    }
    popover_->loadTemplates();
    popover_->detach();
}

bool QtApplicationShell::hasPopover() const {
    return popover_ != nullptr;
}

QString QtApplicationShell::text(const char* english) const {
    return qtText(services_.translate(english));
}

QMenu* QtApplicationShell::statusMenu() {
    return statusMenu_ != nullptr ? statusMenu_ : buildStatusMenu();
}

QMenu* QtApplicationShell::buildStatusMenu() {
    statusMenu_ = new QMenu();
    statusMenu_->setObjectName("StatusMenu");
    statusMenu_->setAccessibleName(text("Quillet"));
    auto add = [this](const char* label, const char* icon, auto slot) {
        QAction* action = statusMenu_->addAction(QIcon::fromTheme(icon), text(label));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    add("Templates…", "document-new", [this] {
        if (delegate_ != nullptr) {
            delegate_->showTemplates();
        }
    });
    add("Preferences…", "preferences-system", [this] {
        if (delegate_ != nullptr) {
            delegate_->openPreferences();
        }
    });
    statusMenu_->addSeparator();
    add("About Quillet", "help-about", [this] {
        if (delegate_ != nullptr) {
            delegate_->showAboutPanel();
        }
    });
    add("Quit Quillet", "application-exit", [this] {
        if (onQuit) {
            onQuit();
        }
    });
    return statusMenu_;
}

PreferencesWindow* QtApplicationShell::preferencesWindow() {
    if (window_ == nullptr) {
        window_ = new PreferencesWindow(makePreferencesPanes(services_, nullptr),
                                        text("Quillet Preferences"), services_.privateDefaults);
        window_->onWillClose = [this] {
            if (delegate_ != nullptr) {
                delegate_->windowWillClose();
            }
        };
        window_->onDidBecomeMain = [this] {
            if (delegate_ != nullptr) {
                delegate_->windowDidBecomeMain();
            }
        };
    }
    return window_;
}

void QtApplicationShell::showPreferencesWindow() {
    PreferencesWindow* window = preferencesWindow();
    window->show();
    window->raise();
    window->activateWindow();
}

void QtApplicationShell::showAboutPanel() {
    QMessageBox about;
    about.setObjectName("AboutQuillet");
    about.setWindowTitle(text("About Quillet"));
    about.setIconPixmap(
        appIcon(services_, "org.quillet.Quillet", "org.quillet.Quillet.svg").pixmap(64, 64));
    about.setText(QStringLiteral("<b>Quillet</b> %1").arg(QApplication::applicationVersion()));
    about.setInformativeText(
        text("New files from your templates, right in the file manager's context menu."));
    about.setStandardButtons(QMessageBox::Ok);
    about.exec();
}

bool QtApplicationShell::isSystemTrayAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtApplicationShell::createStatusItem() {
    if (statusItem_ != nullptr) {
        return;
    }
    statusItem_ = new QSystemTrayIcon(
        appIcon(services_, "org.quillet.Quillet-status", "StatusIcon.svg"), this);
    statusItem_->setToolTip(text("Quillet"));
    // The context request shows this menu (the host does it for SNI items).
    statusItem_->setContextMenu(statusMenu());
    connect(statusItem_, &QSystemTrayIcon::activated, this,
            &QtApplicationShell::statusItemActivated);
    statusItem_->show();
}

void QtApplicationShell::statusItemActivated(QSystemTrayIcon::ActivationReason reason) {
    if (delegate_ == nullptr || reason == QSystemTrayIcon::Context) {
        return; // the context menu is already on its way
    }
    StatusClick click;
    const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
    if (held & Qt::ShiftModifier) {
        click.modifiers |= kShiftModifier;
    }
    if (held & Qt::ControlModifier) {
        click.modifiers |= kControlModifier;
    }
    if (held & Qt::AltModifier) {
        click.modifiers |= kAltModifier;
    }
    if (held & Qt::MetaModifier) {
        click.modifiers |= kMetaModifier;
    }
    delegate_->didClickStatusItem(click);
}

void QtApplicationShell::removeStatusItem() {
    if (statusItem_ == nullptr) {
        return;
    }
    statusItem_->hide();
    statusItem_->deleteLater();
    statusItem_ = nullptr;
}

void QtApplicationShell::popUpStatusMenu() {
    statusMenu()->popup(QCursor::pos());
}

void QtApplicationShell::createPopover() {
    popover_ = new PopoverViewController(services_);
    popover_->setStatusMenu(statusMenu());
}

bool QtApplicationShell::isPopoverShown() const {
    return popover_ != nullptr && popover_->isVisible();
}

void QtApplicationShell::showPopover() {
    if (popover_ != nullptr) {
        popover_->showNearPointer();
    }
}

void QtApplicationShell::closePopover() {
    if (popover_ != nullptr) {
        popover_->close();
    }
}

void QtApplicationShell::releasePopover() {
    if (popover_ != nullptr) {
        popover_->deleteLater();
        popover_ = nullptr;
    }
}

int QtApplicationShell::runAlert(const AlertRequest& request) {
    QMessageBox box;
    box.setObjectName("QuilletQuestion");
    box.setIcon(request.critical ? QMessageBox::Critical : QMessageBox::Question);
    box.setWindowTitle(qtText(request.message));
    box.setText(qtText(request.message));
    box.setInformativeText(qtText(request.informative));
    std::vector<QPushButton*> buttons;
    for (const auto& label : request.buttons) {
        QPushButton* button = box.addButton(qtText(label), QMessageBox::ActionRole);
        button->setAccessibleName(qtText(label));
        buttons.push_back(button);
    }
    if (!buttons.empty()) {
        box.setDefaultButton(buttons.front());
        box.setEscapeButton(buttons[std::min(request.escapeButton, buttons.size() - 1)]);
    }
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (box.clickedButton() == buttons[i]) {
            return kAlertFirstButton + static_cast<int>(i);
        }
    }
    return kAlertFirstButton + static_cast<int>(request.escapeButton);
}

} // namespace quillet::app
