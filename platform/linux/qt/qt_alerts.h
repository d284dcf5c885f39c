// Alerts as QMessageBox: the title as the box's text, the message as its
// informative text, the critical style with the critical icon. Without a
// display the alert goes to standard error as "title: message".
#pragma once

#include "shared/ports/alerts.h"

namespace quillet::platform::qt {

class QtAlerts final : public Alerts {
public:
    void showAlert(const std::optional<std::string>& title,
                   const std::optional<std::string>& message, AlertStyle style) override;
    int runAlert(const std::optional<std::string>& title,
                 const std::optional<std::string>& message, AlertStyle style,
                 const std::vector<std::string>& buttons) override;

    // The line written when no window can be shown.
    static std::string textLine(const std::optional<std::string>& title,
                                const std::optional<std::string>& message);
};

} // namespace quillet::platform::qt
