#include "platform/linux/qt/gui_runtime.h"

#include "platform/linux/display.h"
#include "platform/linux/qt/dialog_titles.h"
#include "platform/linux/qt/qt_translations.h"

#include <QApplication>

namespace quillet::platform::qt {

bool hasDisplay() {
    return platform::hasDisplay();
}

Status ensureWidgetApplication() {
    constexpr const char* kAction = "start the widget application";
    if (QCoreApplication* app = QCoreApplication::instance()) {
        if (qobject_cast<QApplication*>(app) == nullptr) {
            return Error::withDetail(kAction, "", "another kind of Qt application runs",
                                     std::errc::operation_not_supported);
        }
        return {};
    }
    if (!hasDisplay()) {
        return Error::withDetail(kAction, "", "no display", std::errc::no_such_device);
    }
    static int argc = 1;
    static char name[] = "quillet-helper";
    static char* argv[] = {name, nullptr};
    // Lives for the rest of the process; later windows reuse it. Closing the
    // last window must not end anything: the helper decides when it ends.
    static QApplication* application = [] {
        auto* app = new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        installQtTranslations(*app);
        keepDialogTitlesWhole(*app);
        return app;
    }();
    (void)application;
    return {};
}

void exitAllEventLoops() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::exit(0);
    }
}

} // namespace quillet::platform::qt
