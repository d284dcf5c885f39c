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
#include <numeric>
#include <thread>
#include <vector>

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
    EXPECT_EQ(HelperSandbox::readFile(maps).find("libcanberra"), std::string::npos)
        << "a request that plays no sound loaded the sound library";

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

// The helper's top-level windows on the display that bear `title`.
int windowsTitled(HelperSandbox& sandbox, const std::string& display, const std::string& title) {
    const std::string tree = sandbox.run({"xwininfo", "-display", display, "-root", "-children"});
    int count = 0;
    for (auto at = tree.find('"' + title + '"'); at != std::string::npos;
         at = tree.find('"' + title + '"', at + 1)) {
        ++count;
    }
    return count;
}

TEST(HelperWindowTest, AFloodOfBadRequestsOpensOneAlertAndEveryCallIsAnswered) {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        GTEST_SKIP() << "needs an X display";
    }
    const std::string x11 = display;
    HelperSandbox sandbox; // takes DISPLAY away; the helper gets it back below
    ASSERT_NO_FATAL_FAILURE(storeTextTemplate(sandbox));
    std::string folder = sandbox.xdg().makeDir("home/Work");
    ::setenv("DISPLAY", x11.c_str(), 1);
    Child helper = sandbox.spawn({HelperSandbox::helperExecutable()});
    ::unsetenv("DISPLAY");
    ASSERT_TRUE(sandbox.waitForHelperOnBus(10s));

    // Many callers at once, each with a request naming no template.
    constexpr int kCallers = 8;
    constexpr int kCallsEach = 40;
    std::vector<int> failed(kCallers, 0);
    std::vector<std::thread> callers;
    for (int c = 0; c < kCallers; ++c) {
        callers.emplace_back([&, c] {
            for (int i = 0; i < kCallsEach; ++i) {
                failed[static_cast<std::size_t>(c)] +=
                    sandbox.callOpen({makeRequestURL(folder, 1000 + c * kCallsEach + i)}) != 0;
            }
        });
    }
    for (auto& caller : callers) {
        caller.join();
    }
    EXPECT_EQ(std::accumulate(failed.begin(), failed.end(), 0), 0) << "calls went unanswered";

    // Served while the alert is up, and the alert stays one window.
    EXPECT_EQ(sandbox.callOpen({makeRequestURL(folder, 0)}), 0);
    EXPECT_TRUE(HelperSandbox::waitForPath(folder + "/untitled.txt", 10s));
    std::this_thread::sleep_for(1s); // any window still due is there now
    EXPECT_EQ(windowsTitled(sandbox, x11, "Unable to create file!"), 1);
    EXPECT_FALSE(sandbox.waitExit(helper, 0ms)) << HelperSandbox::readFile(helper.stderrPath);

    sandbox.postNotification(ids::kHelper, ids::kQuitObject);
    EXPECT_EQ(sandbox.waitExit(helper, 10s), 0) << HelperSandbox::readFile(helper.stderrPath);
    ::setenv("DISPLAY", x11.c_str(), 1);
}

} // namespace
} // namespace quillet::test
