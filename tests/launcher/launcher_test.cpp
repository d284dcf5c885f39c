// The launcher's rules against a fake desktop: which programs it starts,
// where it finds them, and when it ends.
#include "launcher/core/app_delegate.h"

#include "fake_main_queue.h"
#include "fake_workspace.h"
#include "shared/identifiers.h"
#include "shared/keys.h"
#include "temp_xdg.h"

#include <gtest/gtest.h>

namespace quillet::launcher {
namespace {

using namespace std::chrono_literals;

TEST(LaunchPathsTest, ProgramsAreBesideTheLauncher) {
    struct Case {
        const char* launcher;
        const char* app;
        const char* helper;
    } cases[] = {
        {"/usr/bin/quillet-launcher", "/usr/bin/quillet", "/usr/bin/quillet-helper"},
        {"/opt/My Apps/bin/quillet-launcher", "/opt/My Apps/bin/quillet",
         "/opt/My Apps/bin/quillet-helper"},
        {"/quillet-launcher", "/quillet", "/quillet-helper"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.launcher);
        auto paths = LaunchPaths::besideExecutable(c.launcher);
        EXPECT_EQ(paths.appPath, c.app);
        EXPECT_EQ(paths.helperPath, c.helper);
    }
}

TEST(LauncherTest, StartsWhatTheSettingsAskForUnlessItRuns) {
    struct Case {
        bool launchAtLogin, shouldLaunchHelper, appRunning, helperRunning;
        std::vector<std::string> launched;
        std::vector<std::string> logged;
    } cases[] = {
        {false, false, false, false, {}, {}},
        {true, false, false, false, {"/b/quillet"}, {"appPath: /b/quillet"}},
        {false, true, false, false, {"/b/quillet-helper"}, {"appPath: /b/quillet-helper"}},
        {true,
         true,
         false,
         false,
         {"/b/quillet", "/b/quillet-helper"},
         {"appPath: /b/quillet", "appPath: /b/quillet-helper"}},
        // Already running: neither started again nor activated; still logged.
        {true,
         true,
         true,
         false,
         {"/b/quillet-helper"},
         {"appPath: /b/quillet", "appPath: /b/quillet-helper"}},
        {true, true, true, true, {}, {"appPath: /b/quillet", "appPath: /b/quillet-helper"}},
        {false, true, false, true, {}, {"appPath: /b/quillet-helper"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.launchAtLogin << c.shouldLaunchHelper << c.appRunning << c.helperRunning);
        test::TempXdg xdg;
        SettingsStore store(ids::kSuiteName);
        ASSERT_TRUE(store.setBool(keys::kLaunchAtLogin, c.launchAtLogin));
        ASSERT_TRUE(store.setBool(keys::kShouldLaunchHelper, c.shouldLaunchHelper));
        test::FakeWorkspace workspace;
        workspace.setRunning(ids::kMainApp, c.appRunning);
        workspace.setRunning(ids::kHelper, c.helperRunning);
        test::FakeMainQueue queue;
        std::vector<std::string> logged;
        int terminated = 0;
        AppDelegate delegate({store, workspace, queue,
                              [&](const std::string& line) { logged.push_back(line); },
                              [&] { ++terminated; }},
                             LaunchPaths::besideExecutable("/b/quillet-launcher"));
        delegate.applicationDidFinishLaunching();

        std::vector<std::string> launched;
        for (const auto& launch : workspace.launched) {
            launched.push_back(launch.path);
            EXPECT_TRUE(launch.args.empty());
        }
        EXPECT_EQ(launched, c.launched);
        EXPECT_EQ(logged, c.logged);

        // Ends eleven seconds later, whatever was started.
        queue.advance(10999ms);
        EXPECT_EQ(terminated, 0);
        queue.advance(1ms);
        EXPECT_EQ(terminated, 1);
    }
}

TEST(LauncherTest, AFailedLaunchIsNotReportedAndTheLauncherStillEnds) {
    test::TempXdg xdg;
    SettingsStore store(ids::kSuiteName);
    ASSERT_TRUE(store.setBool(keys::kLaunchAtLogin, true));
    test::FakeWorkspace workspace;
    workspace.succeed = false;
    test::FakeMainQueue queue;
    bool terminated = false;
    AppDelegate delegate(
        {store, workspace, queue, [](const std::string&) {}, [&] { terminated = true; }},
        LaunchPaths::besideExecutable("/elsewhere/quillet-launcher"));
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(workspace.launched.size(), 1u);
    queue.advance(kQuitDelay);
    EXPECT_TRUE(terminated);
}

} // namespace
} // namespace quillet::launcher
