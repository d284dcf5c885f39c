// What the application delegate asks of the windowing side: the preferences
// window, the tray item with its menu, the template popover and modal
// questions. The Qt program implements it; the tests record the calls.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quillet::app {

// Regular: the preferences window is shown and listed in the task bar.
// Accessory: no window, only the tray item.
enum class ActivationPolicy { Regular, Accessory };

struct AlertRequest {
    std::string message;              // the bold first line
    std::string informative;          // the explanation below it
    std::vector<std::string> buttons; // in order; the first is the default
    std::size_t escapeButton = 0;     // what closing the alert without a choice answers
    bool critical = false;
};

// The answer of a modal alert: the first button, the second, the third.
inline constexpr int kAlertFirstButton = 1000;
inline constexpr int kAlertSecondButton = 1001;
inline constexpr int kAlertThirdButton = 1002;

class ApplicationShell {
public:
    virtual ~ApplicationShell() = default;

    // Builds the preferences window on first use, shows and raises it.
    virtual void showPreferencesWindow() = 0;
    virtual void setActivationPolicy(ActivationPolicy policy) = 0;
    virtual void showAboutPanel() = 0;

    // Whether a tray host is there to show the item at all.
    virtual bool isSystemTrayAvailable() const = 0;
    virtual void createStatusItem() = 0;
    virtual void removeStatusItem() = 0;
    virtual void popUpStatusMenu() = 0;

    // The popover lives from the first click until it is released.
    virtual bool hasPopover() const = 0;
    virtual void createPopover() = 0;
    virtual bool isPopoverShown() const = 0;
    virtual void showPopover() = 0;
    virtual void closePopover() = 0;
    virtual void releasePopover() = 0;

    // Runs a modal alert; kAlertFirstButton + the index of the button chosen.
    virtual int runAlert(const AlertRequest& request) = 0;
};

} // namespace quillet::app
