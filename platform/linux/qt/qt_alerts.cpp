#include "platform/linux/qt/qt_alerts.h"

#include "platform/linux/display.h"
#include "platform/linux/qt/gui_runtime.h"

#include <QMessageBox>

#include <cstdio>

namespace quillet::platform::qt {

std::string QtAlerts::textLine(const std::optional<std::string>& title,
                               const std::optional<std::string>& message) {
    return alertTextLine(title, message);
}

void QtAlerts::showAlert(const std::optional<std::string>& title,
                         const std::optional<std::string>& message, AlertStyle style) {
    if (!ensureWidgetApplication()) {
        std::fprintf(stderr, "%s\n", textLine(title, message).c_str());
        std::fflush(stderr);
        return;
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
    box.setStandardButtons(QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.setObjectName("QuilletAlert");
    box.exec();
}

} // namespace quillet::platform::qt
