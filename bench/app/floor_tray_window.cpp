// The floor of the main application's start: the least Qt 6 program with a
// tray icon and one window, which it shows at once.
#include <QApplication>
#include <QIcon>
#include <QSystemTrayIcon>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QSystemTrayIcon tray(QIcon::fromTheme(QStringLiteral("document-new")));
    tray.show();
    QWidget window;
    window.setWindowTitle(QStringLiteral("Floor"));
    window.resize(640, 480);
    window.show();
    return application.exec();
}
