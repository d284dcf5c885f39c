#include "platform/linux/qt/gui_runtime.h"

#include "platform/linux/display.h"

#include <QApplication>

namespace quillet::platform::qt {

bool hasDisplay() {
    return platform::hasDisplay();
}

bool ensureWidgetApplication() {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        return qobject_cast<QApplication*>(app) != nullptr;
    }
    if (!hasDisplay()) {
        return false;
    }
    static int argc = 1;
    static char name[] = "quillet-helper";
    static char* argv[] = {name, nullptr};
    // Lives for the rest of the process; later windows reuse it. Closing the
    // last window must not end anything: the helper decides when it ends.
    static QApplication* application = [] {
        auto* app = new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        return app;
    }();
    return application != nullptr;
}

void exitAllEventLoops() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::exit(0);
    }
}

} // namespace quillet::platform::qt
