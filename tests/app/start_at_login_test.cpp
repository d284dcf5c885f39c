// Start at login: the reconciliation at quit and the controller's mirror.
#include "app/core/start_at_login_controller.h"

#include "fake_login_items.h"
#include "fake_workspace.h"
#include "shared/identifiers.h"
#include "shared/keys.h"
#include "temp_xdg.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace quillet::app {
namespace {

class StartAtLoginTest : public ::testing::Test {
protected:
    void SetUp() override {
        launcher = xdg.makeDir("bin") + "/quillet-launcher";
        std::ofstream(launcher) << "#!/bin/sh\n";
        ::chmod(launcher.c_str(), 0755);
    }
    test::TempXdg xdg;
    std::string launcher;
    test::FakeLoginItems items;
};

TEST_F(StartAtLoginTest, ReconcilesOnlyOnADifference) {
    struct Case {
        bool registered, shouldLaunchHelper, launchAtLogin;
        bool registeredAfter;
        int writes;
    } cases[] = {
        {true, false, false, false, 1},  // unregistered
        {false, false, false, false, 0}, // the service is not touched at all
        {false, true, false, true, 1},   // the helper alone is reason enough
        {false, false, true, true, 1},   {false, true, true, true, 1},
        {true, true, false, true, 0},    {true, false, true, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.registered << c.shouldLaunchHelper << c.launchAtLogin);
        items = {};
        if (c.registered) {
            items.items[ids::kLauncher] = launcher;
        }
        SettingsStore store(ids::kSuiteName);
        ASSERT_TRUE(store.setBool(keys::kShouldLaunchHelper, c.shouldLaunchHelper));
        ASSERT_TRUE(store.setBool(keys::kLaunchAtLogin, c.launchAtLogin));

        EXPECT_TRUE(setStartAtLogin(items, launcher, loginItemWanted(store)));
        EXPECT_EQ(items.items.count(ids::kLauncher) == 1, c.registeredAfter);
        EXPECT_EQ(items.writes, c.writes);
        if (c.registeredAfter) {
            EXPECT_EQ(items.items[ids::kLauncher], launcher);
        }
    }
}

TEST_F(StartAtLoginTest, AMissingLauncherIsNeverRegisteredButCanBeRemoved) {
    const std::string missing = xdg.root() + "/bin/nothing-here";
    const Status refused = setStartAtLogin(items, missing, true);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().path(), missing);
    EXPECT_EQ(items.writes, 0);
    EXPECT_TRUE(items.items.empty());

    items.items[ids::kLauncher] = missing; // left from an earlier installation
    EXPECT_TRUE(setStartAtLogin(items, missing, false));
    EXPECT_TRUE(items.items.empty());

    StartAtLoginController none(items, "");
    EXPECT_TRUE(none.identifier().empty());
    EXPECT_FALSE(none.startAtLogin());
}

TEST_F(StartAtLoginTest, EnabledMirrorsTheRegistrationAndAnnouncesChanges) {
    items.items[ids::kLauncher] = launcher;
    StartAtLoginController controller(items, launcher);
    EXPECT_TRUE(controller.enabled()); // read once at creation
    std::vector<bool> announced;
    controller.enabledChanged = [&](bool value) { announced.push_back(value); };

    EXPECT_TRUE(controller.setStartAtLogin(false));
    EXPECT_FALSE(controller.enabled());
    EXPECT_TRUE(controller.setStartAtLogin(true));
    EXPECT_TRUE(controller.enabled());
    // A removal the desktop refuses leaves the item, and the mirror, on.
    items.succeed = false;
    EXPECT_FALSE(controller.setStartAtLogin(false));
    EXPECT_TRUE(controller.enabled());
    EXPECT_EQ(announced, (std::vector<bool>{false, true}));
}

TEST(LauncherRunningTest, IsTheLauncherHoldingItsName) {
    test::FakeWorkspace workspace;
    EXPECT_FALSE(isLauncherRunning(workspace));
    workspace.setRunning(ids::kLauncher, true);
    EXPECT_TRUE(isLauncherRunning(workspace));
}

} // namespace
} // namespace quillet::app
