// The tray item: shown or removed after showInMenuBar, and what a click on it
// opens.
#include "app/core/app_delegate.h"

#include "shared/keys.h"

namespace quillet::app {

bool AppDelegate::wantsStatusItem() {
    // A fresh handle: the General pane may just have written the option.
    sharedDefaults_.emplace(services_.openSharedDefaults());
    // Without a tray host the item could not be seen: as if the option were off.
    return sharedDefaults_->boolForKey(keys::kShowInMenuBar) && shell_.isSystemTrayAvailable();
}

void AppDelegate::updateStatusMenu() {
    if (wantsStatusItem()) {
        activateStatusMenu();
        return;
    }
    if (shell_.hasPopover()) {
        shell_.closePopover();
    }
    removeStatusMenu();
    services_.mainQueue.postAfter(kReleasePopoverDelay, self_.guard([](AppDelegate& self) {
        // A tray item shown again meanwhile keeps its popover.
        if (!self.statusItemShown_) {
            self.shell_.releasePopover();
        }
    }));
}

void AppDelegate::activateStatusMenu() {
    if (statusItemShown_) {
        return;
    }
    shell_.createStatusItem();
    statusItemShown_ = true;
}

void AppDelegate::removeStatusMenu() {
    if (!statusItemShown_) {
        return;
    }
    shell_.removeStatusItem();
    statusItemShown_ = false;
}

void AppDelegate::didClickStatusItem(const StatusClick& click) {
    if (routeStatusClick(click) == StatusClickAction::ShowMenu) {
        shell_.popUpStatusMenu();
        return;
    }
    if (!shell_.hasPopover()) {
        shell_.createPopover();
    }
    // A click on the item closes a popover that is open, as a click elsewhere would.
    if (shell_.isPopoverShown()) {
        shell_.closePopover();
    } else {
        shell_.showPopover();
    }
}

void AppDelegate::showTemplates() {
    if (!shell_.hasPopover()) {
        shell_.createPopover();
    }
    shell_.showPopover();
}

} // namespace quillet::app
