// Alerts that are recorded instead of shown. The hook runs while the alert is
// "open", so a test can look at the state of the program at that moment.
#pragma once

#include "shared/ports/alerts.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillet::test {

class FakeAlerts final : public Alerts {
public:
    struct Shown {
        std::optional<std::string> title;
        std::optional<std::string> message;
        AlertStyle style = AlertStyle::Informational;
        std::vector<std::string> buttons;
    };

    void showAlert(const std::optional<std::string>& title,
                   const std::optional<std::string>& message, AlertStyle style) override;
    // Answers `nextChoice` (then -1 again).
    int runAlert(const std::optional<std::string>& title,
                 const std::optional<std::string>& message, AlertStyle style,
                 const std::vector<std::string>& buttons) override;

    const std::vector<Shown>& shown() const { return shown_; }
    void clear() { shown_.clear(); }

    std::function<void(const Shown&)> onShow;
    int nextChoice = -1;

private:
    std::vector<Shown> shown_;
};

} // namespace quillet::test
