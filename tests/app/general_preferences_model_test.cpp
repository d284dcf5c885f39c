// The General pane's writes and signals, and the extension tip's source.
#include "app/core/app_delegate.h"
#include "app/core/os_version.h"
#include "app/core/preferences/general_preferences_model.h"
#include "app_services_fixture.h"
#include "shared/keys.h"

#include <gtest/gtest.h>

namespace quillet::test {
namespace {

using namespace std::chrono_literals;
using app::GeneralPreferencesModel;

class GeneralPreferencesModelTest : public ::testing::Test {
protected:
    AppServicesFixture f;
};

TEST_F(GeneralPreferencesModelTest, APlainOptionRewritesAllSixFromTheBoxes) {
    GeneralPreferencesModel model(f.services);
    ASSERT_TRUE(f.shared().setBool(keys::kShowInMenuBar, true));
    model.saveOptions({{keys::kOpenFileOnCreation, true},
                       {keys::kSkipFilename, true},
                       {keys::kShowInMenuBar, false}}); // not one of the six: ignored
    const Value::Dictionary stored = f.shared().storedValues();
    const Value::Dictionary expected = {
        {keys::kOpenFileOnCreation, true}, {keys::kShowFileOnCreation, false},
        {keys::kRunInBackground, false},   {keys::kHideMenuForFiles, false},
        {keys::kCascadeMenu, false},       {keys::kSkipFilename, true},
        {keys::kShowInMenuBar, true},
    };
    EXPECT_EQ(stored, expected);
    EXPECT_TRUE(f.notifications.posts().empty());
    EXPECT_TRUE(f.localNotifications.posts().empty());
}

TEST_F(GeneralPreferencesModelTest, TheTrayOptionIsStoredThenAnnouncedInThisProcess) {
    GeneralPreferencesModel model(f.services);
    bool storedWhenAnnounced = false;
    f.localNotifications.addObserver(
        app::kStatusItemShouldUpdate, [&](const std::string&, const std::string&) {
            storedWhenAnnounced = f.shared().boolForKey(keys::kShowInMenuBar);
        });
    model.toggleShowInMenuBar(true);
    EXPECT_TRUE(storedWhenAnnounced);
    model.toggleShowInMenuBar(false);
    EXPECT_FALSE(f.shared().boolForKey(keys::kShowInMenuBar));
    EXPECT_EQ(f.localNotifications.posts().size(), 2u);
    EXPECT_TRUE(f.notifications.posts().empty()); // never broadcast
}

TEST_F(GeneralPreferencesModelTest, SwitchingTheBackgroundHelperOffMakesARunningHelperQuit) {
    struct Case {
        const char* name;
        bool on;
        bool helperRunning;
        bool quitPosted;
    } cases[] = {
        {"off while it runs", false, true, true},
        {"off while it does not run", false, false, false},
        {"on while it runs", true, true, false},
        {"on while it does not run", true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AppServicesFixture fixture;
        fixture.workspace.setRunning(ids::kHelper, c.helperRunning);
        GeneralPreferencesModel model(fixture.services);
        model.toggleRunInBackground(c.on);
        EXPECT_EQ(fixture.shared().storedValues().at(keys::kRunInBackground), Value(c.on ? 1 : 0));
        EXPECT_EQ(fixture.notifications.posts().size(), c.quitPosted ? 1u : 0u);
        if (c.quitPosted) {
            EXPECT_EQ(fixture.notifications.posts()[0],
                      (FakeNotificationCenter::Posted{ids::kHelper, "quit"}));
        }
        EXPECT_TRUE(fixture.workspace.launched.empty());
    }
}

TEST_F(GeneralPreferencesModelTest, TheOptionsWithoutABoxOfTheirOwnAreWritten) {
    GeneralPreferencesModel model(f.services);
    model.setLaunchAtLogin(true);
    model.setPlaySound(true);
    EXPECT_TRUE(model.option(keys::kLaunchAtLogin));
    EXPECT_TRUE(f.shared().boolForKey(keys::kPlaySound));
    model.setPlaySound(false);
    EXPECT_FALSE(f.shared().boolForKey(keys::kPlaySound));
}

TEST_F(GeneralPreferencesModelTest, TheTipFollowsTheExtensionFamilyAMomentLater) {
    GeneralPreferencesModel model(f.services);
    std::vector<bool> reports;
    model.setExtensionHandler([&](bool running) { reports.push_back(running); });
    ASSERT_EQ(f.busNames.watchCount(), 1u);

    f.workspace.setRunning(ids::kExtension + std::string(".Thunar"), true);
    f.busNames.ownerChanged(ids::kExtension + std::string(".Thunar"));
    f.busNames.ownerChanged("org.example.Unrelated");
    f.queue.advance(299ms);
    EXPECT_TRUE(reports.empty());
    f.queue.advance(1ms);
    EXPECT_EQ(reports, std::vector<bool>{true});

    f.workspace.setRunning(ids::kExtension + std::string(".Thunar"), false);
    f.busNames.ownerChanged(ids::kExtension + std::string(".Thunar"));
    f.queue.advance(300ms);
    EXPECT_EQ(reports, (std::vector<bool>{true, false}));
}

TEST_F(GeneralPreferencesModelTest, HelpOpensTheShippedPagesAndSetUpOffersTheRestart) {
    GeneralPreferencesModel model(f.services);
    EXPECT_TRUE(model.showHelp().ok());
    EXPECT_TRUE(model.setUpExtension().ok()); // the restart declined
    f.alerts.nextChoice = 0;
    EXPECT_TRUE(model.setUpExtension().ok());
    EXPECT_EQ(
        f.workspace.openedURLs,
        (std::vector<std::string>({"file://" + f.services.helpDir + "/index.html",
                                   "file://" + f.services.helpDir + "/finder-context-menu.html",
                                   "file://" + f.services.helpDir + "/finder-context-menu.html"})));
    ASSERT_EQ(f.alerts.shown().size(), 2u);
    EXPECT_EQ(f.alerts.shown()[1].buttons,
              (std::vector<std::string>{"Restart File Manager", "Not Now"}));
    std::vector<std::string> restarted;
    for (const auto& launch : f.workspace.launched) {
        if (launch.args == std::vector<std::string>{"-q"}) {
            restarted.push_back(launch.path);
        }
    }
    EXPECT_EQ(restarted, f.services.fileManagerPaths) << "once, and only when asked";
}

TEST(OSVersionTest, PrettyNameAndKernelRelease) {
    struct Case {
        const char* osRelease;
        const char* kernel;
        const char* expected;
    } cases[] = {
        {"NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n", "6.1.0",
         "Debian GNU/Linux 12 (bookworm) 6.1.0"},
        {"PRETTY_NAME='Fedora Linux 39'", "6.5.6", "Fedora Linux 39 6.5.6"},
        {"PRETTY_NAME=Arch\\ Linux", "", "Arch\\ Linux"},
        {"PRETTY_NAME=\"Say \\\"hi\\\"\"", "1", "Say \"hi\" 1"},
        {"", "6.1.0", "Linux 6.1.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.osRelease);
        EXPECT_EQ(app::osVersionString(c.osRelease, c.kernel), c.expected);
    }
    EXPECT_FALSE(app::currentOSVersionString().empty());
}

} // namespace
} // namespace quillet::test
