// Modal alerts shown to the user.
#pragma once

#include <optional>
#include <string>

namespace quillet {

enum class AlertStyle : int { Warning = 0, Informational = 1, Critical = 2 };

class Alerts {
public:
    virtual ~Alerts() = default;
    // Returns when the user has dismissed the alert. Main thread only.
    virtual void showAlert(const std::optional<std::string>& title,
                           const std::optional<std::string>& message, AlertStyle style) = 0;
};

} // namespace quillet
