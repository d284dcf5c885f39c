// Modal alerts shown to the user.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillet {

enum class AlertStyle : int { Warning = 0, Informational = 1, Critical = 2 };

class Alerts {
public:
    virtual ~Alerts() = default;
    // Returns when the user has dismissed the alert. Main thread only.
    virtual void showAlert(const std::optional<std::string>& title,
                           const std::optional<std::string>& message, AlertStyle style) = 0;

    // An alert with its own buttons, first one the default. Answers the index
    // of the chosen button, or -1 when it was closed otherwise (or cannot be
    // shown). Main thread only.
    virtual int runAlert(const std::optional<std::string>& title,
                         const std::optional<std::string>& message, AlertStyle style,
                         const std::vector<std::string>& buttons) = 0;
};

} // namespace quillet
