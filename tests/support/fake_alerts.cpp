#include "fake_alerts.h"

#include <utility>

namespace quillet::test {

void FakeAlerts::showAlert(const std::optional<std::string>& title,
                           const std::optional<std::string>& message, AlertStyle style) {
    Shown alert{title, message, style, {}};
    shown_.push_back(alert);
    if (onShow) {
        onShow(alert);
    }
}

int FakeAlerts::runAlert(const std::optional<std::string>& title,
                         const std::optional<std::string>& message, AlertStyle style,
                         const std::vector<std::string>& buttons) {
    Shown alert{title, message, style, buttons};
    shown_.push_back(alert);
    if (onShow) {
        onShow(alert);
    }
    return std::exchange(nextChoice, -1);
}

} // namespace quillet::test
