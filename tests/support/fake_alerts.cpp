#include "fake_alerts.h"

namespace quillet::test {

void FakeAlerts::showAlert(const std::optional<std::string>& title,
                           const std::optional<std::string>& message, AlertStyle style) {
    Shown alert{title, message, style};
    shown_.push_back(alert);
    if (onShow) {
        onShow(alert);
    }
}

} // namespace quillet::test
