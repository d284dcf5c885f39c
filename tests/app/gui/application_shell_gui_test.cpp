// The shell as the program starts it: the tray menu, made when something
// first needs it, has its entries in order and stays one menu however often it
// is asked for; the program's icon reaches its windows once the event loop
// has turned, though the shell no longer draws it before the first window.
#include "app/app_services_fixture.h"
#include "app/ui/qt_application_shell.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMenu>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace quillet::test {
namespace {

TEST(ApplicationShellGuiTest, TrayMenuAndWindowIconArriveWhenNeeded) {
    AppServicesFixture f;
    f.services.resourcesDir = std::filesystem::path(QUILLET_STATUS_ICON).parent_path().string();
    QGuiApplication::setWindowIcon(QIcon());
    app::QtApplicationShell shell(f.services);
    int quits = 0;
    shell.onQuit = [&quits] { ++quits; };

    QMenu* menu = shell.statusMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(shell.statusMenu(), menu) << "one menu for the tray item, the popover and pop-ups";
    EXPECT_EQ(menu->objectName().toStdString(), "StatusMenu");
    std::vector<std::string> entries;
    for (const QAction* action : menu->actions()) {
        entries.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    }
    EXPECT_EQ(entries, (std::vector<std::string>{"Templates…", "Preferences…", "-", "About Quillet",
                                                 "Quit Quillet"}));
    menu->actions().back()->trigger();
    EXPECT_EQ(quits, 1);

    QCoreApplication::processEvents();
    EXPECT_FALSE(QGuiApplication::windowIcon().isNull());
}

} // namespace
} // namespace quillet::test
