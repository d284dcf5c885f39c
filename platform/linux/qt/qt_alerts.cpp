#include "platform/linux/qt/qt_alerts.h"

#include "platform/linux/display.h"
#include "platform/linux/qt/gui_runtime.h"

#include <QMessageBox>
#include <QPushButton>

#include <cstdio>

namespace quillet::platform::qt {

std::string QtAlerts::textLine(const std::optional<std::string>& title,
                               const std::optional<std::string>& message) {
    return alertTextLine(title, message);
}

void QtAlerts::showAlert(const std::optional<std::string>& title,
                         const std::optional<std::string>& message, AlertStyle style) {
    runAlert(title, message, style, {});
}

int QtAlerts::runAlert(const std::optional<std::string>& title,
                       const std::optional<std::string>& message, AlertStyle style,
                       const std::vector<std::string>& buttons) {
    if (!ensureWidgetApplication()) {
        std::fprintf(stderr, "%s\n", textLine(title, message).c_str());
        std::fflush(stderr);
        return -1;
    }
    QMessageBox box;
    switch (style) {
    case AlertStyle::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case AlertStyle::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case AlertStyle::Informational:
        box.setIcon(QMessageBox::Information);
        break;
    }
    if (title) {
        box.setText(QString::fromStdString(*title));
        box.setWindowTitle(QString::fromStdString(*title));
    }
    if (message) {
        box.setInformativeText(QString::fromStdString(*message));
    }
    std::vector<QAbstractButton*> added;
    if (buttons.empty()) {
        box.setStandardButtons(QMessageBox::Ok);
    }
    for (const auto& text : buttons) {
        // The last button cancels (Escape); the first is the default.
        auto role = added.size() + 1 == buttons.size() && buttons.size() > 1
                        ? QMessageBox::RejectRole
                        : QMessageBox::AcceptRole;
        QPushButton* button = box.addButton(QString::fromStdString(text), role);
        button->setAccessibleName(QString::fromStdString(text));
        if (added.empty()) {
            box.setDefaultButton(button);
        }
        added.push_back(button);
    }
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.setObjectName("QuilletAlert");
    box.exec();
    for (std::size_t i = 0; i < added.size(); ++i) {
        if (box.clickedButton() == added[i]) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace quillet::platform::qt
