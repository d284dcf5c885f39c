// The floor of the main application's start: the least Qt 6 program with a
// tray icon and one window, which it shows at once.
//
//   quillet-bench-floor-tray-window [--text]
//
// The tray icon comes from the icon theme, with the fallback theme the
// application names: without one, outside a full desktop the theme has no
// icon, Qt refuses to show the tray icon, and the floor would not pay for
// what every tray program pays. With --text the window also shows one line
// of text, so the font system is started as for any window a user reads.
#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QSystemTrayIcon>
#include <QVBoxLayout>
#include <QWidget>

#include <cstring>

int main(int argc, char** argv) {
    const bool withText = argc > 1 && std::strcmp(argv[1], "--text") == 0;
    QApplication application(argc, argv);
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    QSystemTrayIcon tray(QIcon::fromTheme(QStringLiteral("document-new")));
    tray.show();
    QWidget window;
    window.setWindowTitle(QStringLiteral("Floor"));
    if (withText) {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(new QLabel(QStringLiteral("Floor"), &window));
    }
    window.resize(640, 480);
    window.show();
    return application.exec();
}
