// Driving modal dialogs from a test: the dialog's own event loop runs the
// steps, found among the top-level widgets once they are shown.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace quillet::test {

inline void rejectAllDialogs() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible()) {
            dialog->reject();
        }
    }
}

// Runs `step` once a visible top-level T named `objectName` exists. Schedule
// it before the call that opens the dialog, since that call blocks.
template <typename T>
void whenShown(const QString& objectName, std::function<void(T*)> step, int timeoutMs = 15000) {
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [=] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* found = qobject_cast<T*>(widget);
            if (found && found->isVisible() && found->objectName() == objectName) {
                timer->stop();
                timer->deleteLater();
                step(found);
                return;
            }
        }
        if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no " << objectName.toStdString() << " was shown";
            rejectAllDialogs();
        }
    });
    timer->start(10);
}

} // namespace quillet::test
