// Alerts that never pile up: while an alert of one kind (its title) is open,
// more of the same kind are not shown beside it but counted, and when the
// user closes it one more alert tells how many came meanwhile and shows the
// latest detail. A caller that floods the helper with bad requests so costs
// one window, not one per request, and every call returns at once.
#pragma once

#include "shared/localized_strings.h"
#include "shared/ports/alerts.h"

#include <map>
#include <string>

namespace quillet::helper {

class OneAlertPerKind final : public Alerts {
public:
    OneAlertPerKind(Alerts& alerts, Translator translate);

    void showAlert(const std::optional<std::string>& title,
                   const std::optional<std::string>& message, AlertStyle style) override;
    // Questions are passed through: each caller waits for its own answer.
    int runAlert(const std::optional<std::string>& title, const std::optional<std::string>& message,
                 AlertStyle style, const std::vector<std::string>& buttons) override;

    // The program is ending: what came while an alert was open is not shown.
    void dropRepeats();

private:
    struct Repeats {
        std::size_t count = 0;
        std::optional<std::string> latestMessage;
        AlertStyle latestStyle = AlertStyle::Critical;
    };

    std::string translate(const std::string& text) const;

    Alerts& alerts_;
    Translator translate_;
    // The kinds with an alert open, and what came for each meanwhile.
    std::map<std::string, Repeats> open_;
    bool dropping_ = false;
};

} // namespace quillet::helper
