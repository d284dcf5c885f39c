#include "helper/core/alerts/one_alert_per_kind.h"

#include <utility>

namespace quillet::helper {

OneAlertPerKind::OneAlertPerKind(Alerts& alerts, Translator translate)
    : alerts_(alerts), translate_(std::move(translate)) {}

void OneAlertPerKind::showAlert(const std::optional<std::string>& title,
                                const std::optional<std::string>& message, AlertStyle style) {
    const std::string kind = title.value_or("");
    if (auto open = open_.find(kind); open != open_.end()) {
        // The open alert runs a nested loop that brought us here: count
        // this one and return, so that the caller goes on at once.
        ++open->second.count;
        open->second.latestMessage = message;
        open->second.latestStyle = style;
        return;
    }
    open_.emplace(kind, Repeats{});
    std::optional<std::string> shown = message;
    AlertStyle shownStyle = style;
    for (;;) {
        alerts_.showAlert(title, shown, shownStyle);
        Repeats repeats = std::exchange(open_[kind], Repeats{});
        if (repeats.count == 0 || dropping_) {
            break;
        }
        shown =
            formatWithTitle(translate("Alerts of this kind while the previous one was open: %@"),
                            std::to_string(repeats.count)) +
            "\n\n" + repeats.latestMessage.value_or("");
        shownStyle = repeats.latestStyle;
    }
    open_.erase(kind);
}

std::string OneAlertPerKind::translate(const std::string& text) const {
    return translate_ ? translate_(text) : text;
}

int OneAlertPerKind::runAlert(const std::optional<std::string>& title,
                              const std::optional<std::string>& message, AlertStyle style,
                              const std::vector<std::string>& buttons) {
    return alerts_.runAlert(title, message, style, buttons);
}

void OneAlertPerKind::dropRepeats() {
    dropping_ = true;
}

} // namespace quillet::helper
