#include "platform/linux/qt/gui_runtime.h"

#include <QApplication>

#include <cstdlib>
#include <cstring>

namespace quillet::platform::qt {

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

} // namespace

bool hasDisplay() {
    if (isSet("DISPLAY") || isSet("WAYLAND_DISPLAY")) {
        return true;
    }
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return platform != nullptr && (std::strncmp(platform, "offscreen", 9) == 0 ||
                                   std::strncmp(platform, "minimal", 7) == 0);
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
