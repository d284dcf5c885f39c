// The helper may call the panel before it has started Qt, with only a core
// application, or with no display at all. Each case needs a process of its
// own, which CTest gives every test of this program.
#include "helper/ui/new_file_panel/new_file_panel.h"
#include "helper/ui/new_file_panel/new_file_save_panel.h"

#include "fake_panel_host.h"
#include "panel_fixtures.h"
#include "temp_xdg.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>

namespace quillet::helper {
namespace {

using test::listing;
using test::templateRecord;

QString seenTitle;

// Runs when any application object is made: closes the panel once shown.
void closePanelWhenShown() {
    auto* timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [timer] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* panel = qobject_cast<NewFileSavePanel*>(widget);
            if (panel && panel->isVisible()) {
                seenTitle = panel->windowTitle();
                timer->stop();
                timer->deleteLater();
                panel->reject();
                return;
            }
        }
    });
    timer->start(10);
}
Q_COREAPP_STARTUP_FUNCTION(closePanelWhenShown)

class PanelStartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QCoreApplication::instance() != nullptr) {
            GTEST_SKIP() << "needs a process without an application object";
        }
        test::writeFile(templates + "/text.txt", "text template");
        ASSERT_TRUE(store.setObject("fileTemplates", Value::Array{text}));
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("QT_QPA_PLATFORM");
    }

    void expectCancelled() {
        EXPECT_EQ(host.raises, 1);
        EXPECT_EQ(host.lowers, 1);
        EXPECT_EQ(host.panelCount, 0);
        EXPECT_TRUE(host.finished.empty());
        EXPECT_EQ(listing(dir), "");
    }

    test::TempXdg xdg;
    std::string templates = xdg.makeDir("Templates");
    std::string dir = xdg.makeDir("Documents");
    Value text = templateRecord("Text", templates + "/text.txt", "untitled", "txt");
    SettingsStore store = SettingsStore::atPath(xdg.configHome() + "/store.json");
    test::FakePanelHost host;
};

TEST_F(PanelStartupTest, WithoutADisplayThePanelCountsAsCancelled) {
    showNewFilePanel(host, store, dir, text);
    expectCancelled();
    // Creating an application here would have aborted the helper.
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
}

TEST_F(PanelStartupTest, ACoreApplicationCannotShowThePanel) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    showNewFilePanel(host, store, dir, text);
    expectCancelled();
}

TEST_F(PanelStartupTest, AWidgetApplicationIsStartedWhenNoneExists) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    showNewFilePanel(host, store, dir, text);
    EXPECT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
    EXPECT_EQ(seenTitle, "New Text");
    expectCancelled();
    delete QCoreApplication::instance();
}

} // namespace
} // namespace quillet::helper
