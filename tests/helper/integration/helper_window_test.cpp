// The helper with a display: its dialogs run Qt's modal loop, and the bus
// is still served while one is open.
#include "helper_sandbox.h"

#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/request_url.h"
#include "template_record.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace quillet::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// One text template ("untitled.txt"), created without asking for a name and
// without showing the new file.
void storeTextTemplate(HelperSandbox& sandbox) {
    std::string templates = sandbox.xdg().makeDir("data/quillet/Templates");
    std::ofstream(templates + "/Text.txt") << "text\n";
    ASSERT_TRUE(sandbox.store().setObject(
        keys::kFileTemplates,
        Value(Value::Array{templateRecord("untitled", "txt", templates + "/Text.txt")})));
    ASSERT_TRUE(sandbox.store().setBool(keys::kSkipFilename, true));
    ASSERT_TRUE(sandbox.store().setBool(keys::kShowFileOnCreation, false));
}

TEST(HelperWindowTest, RequestsAreServedWhileAnAlertIsOpenAndQuitClosesIt) {
    HelperSandbox sandbox;
    ASSERT_NO_FATAL_FAILURE(storeTextTemplate(sandbox));
    std::string folder = sandbox.xdg().makeDir("home/Work");

    // A window can be shown (without being mapped anywhere).
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    Child helper = sandbox.spawn({HelperSandbox::helperExecutable(), makeRequestURL(folder, 7)});
    ::unsetenv("QT_QPA_PLATFORM");
    ASSERT_TRUE(sandbox.waitForHelperOnBus(10s));
    std::this_thread::sleep_for(1s); // the alert for index 7 is open now, modally

    EXPECT_EQ(sandbox.callOpen({makeRequestURL(folder, 0)}), 0);
    EXPECT_TRUE(HelperSandbox::waitForPath(folder + "/untitled.txt", 10s));
    // Nothing went to standard error: the alert is a window.
    EXPECT_EQ(HelperSandbox::readFile(helper.stderrPath).find("Unable to create file!"),
              std::string::npos);

    sandbox.postNotification(ids::kHelper, ids::kQuitObject);
    EXPECT_EQ(sandbox.waitExit(helper, 10s), 0) << HelperSandbox::readFile(helper.stderrPath);
}

TEST(HelperWindowTest, TheToolkitIsLoadedWithTheFirstWindowOnly) {
    HelperSandbox sandbox;
    ASSERT_NO_FATAL_FAILURE(storeTextTemplate(sandbox));
    ASSERT_TRUE(sandbox.store().setBool(keys::kRunInBackground, true));
    std::string folder = sandbox.xdg().makeDir("home/Work");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    Child helper = sandbox.spawn({HelperSandbox::helperExecutable(), makeRequestURL(folder, 0)});
    ::unsetenv("QT_QPA_PLATFORM");
    ASSERT_TRUE(HelperSandbox::waitForPath(folder + "/untitled.txt", 10s));
    const std::string maps = "/proc/" + std::to_string(helper.pid) + "/maps";
    EXPECT_EQ(HelperSandbox::readFile(maps).find("libQt6Widgets"), std::string::npos)
        << "a request that shows no window loaded Qt";

    EXPECT_EQ(sandbox.callOpen({makeRequestURL(folder, 7)}), 0); // an alert
    bool loaded = false;
    for (int i = 0; i < 100 && !loaded; ++i) {
        std::this_thread::sleep_for(100ms);
        loaded = HelperSandbox::readFile(maps).find("libQt6Widgets") != std::string::npos;
    }
    EXPECT_TRUE(loaded);
    sandbox.postNotification(ids::kHelper, ids::kQuitObject);
    EXPECT_EQ(sandbox.waitExit(helper, 10s), 0) << HelperSandbox::readFile(helper.stderrPath);
}

} // namespace
} // namespace quillet::test
