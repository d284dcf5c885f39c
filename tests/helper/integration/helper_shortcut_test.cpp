// The helper's shortcuts on a real X display: xdotool presses go through the
// server to the helper's grab, the user script tells the folder, the file
// appears there; without the script the first press installs it.
#include "helper_sandbox.h"

#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/records.h"
#include "shared/shortcut.h"
#include "x11_keys.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace quillet::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class HelperShortcutTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0') {
            GTEST_SKIP() << "needs an X display";
        }
        display_ = display;
        sandbox_.emplace(); // takes DISPLAY away; the helper gets it back below
        std::string templates = sandbox_->xdg().makeDir("data/quillet/Templates");
        std::ofstream(templates + "/Text.txt") << "text\n";
        template_ = FileTemplate{.enabled = true,
                                 .title = "Text File",
                                 .filePath = templates + "/Text.txt",
                                 .prefix = "untitled",
                                 .suffix = "txt"};
        ASSERT_TRUE(sandbox_->store().setBool(keys::kSkipFilename, true));
        ASSERT_TRUE(sandbox_->store().setBool(keys::kShowFileOnCreation, false));
        ASSERT_TRUE(sandbox_->store().setBool(keys::kRunInBackground, true));
        scriptsDir_ = sandbox_->xdg().dataHome() + "/quillet/scripts/org.quillet.QuilletHelper";
    }

    void TearDown() override {
        sandbox_.reset();
        if (!display_.empty()) {
            ::setenv("DISPLAY", display_.c_str(), 1);
        }
    }

    void bind(std::uint32_t keysym) {
        FileTemplate bound = template_;
        bound.shortcut = Shortcut{keysym, modifier::kControl | modifier::kAlt}.toDictionary();
        ASSERT_TRUE(sandbox_->store().setObject(keys::kFileTemplates,
                                                Value(Value::Array{bound.toValue()})));
    }

    void writeUserScript(const std::string& body) {
        fs::create_directories(scriptsDir_);
        std::ofstream(scriptsDir_ + "/QuilletHelper.sh") << "#!/bin/sh\n" << body;
        ::chmod((scriptsDir_ + "/QuilletHelper.sh").c_str(), 0755);
    }

    // The helper with the display; back to none for the test itself.
    Child startHelper() {
        ::setenv("DISPLAY", display_.c_str(), 1);
        Child helper = sandbox_->spawn({HelperSandbox::helperExecutable()});
        return helper;
    }

    // The helper, started again until it holds the combination. The probe
    // that tells whether it does holds the combination itself for a moment,
    // and a helper that binds in that moment is refused, as it must be.
    Child startHelperHolding(std::uint32_t keysym) {
        for (int attempt = 1;; ++attempt) {
            Child helper = startHelper();
            EXPECT_TRUE(sandbox_->waitForHelperOnBus(10s));
            if (waitForGrab(keysym, 4s) || attempt == 3) {
                return helper;
            }
            ::kill(helper.pid, SIGKILL);
            ::waitpid(helper.pid, nullptr, 0);
            sandbox_->waitForHelperGone(5s);
        }
    }

    // The helper has grabbed the combination once another client cannot.
    bool waitForGrab(std::uint32_t keysym, std::chrono::milliseconds timeout = 10s) {
        OtherXClient probe;
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            if (!probe.grab(keysym, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1)) {
                return true;
            }
            probe.ungrabAll();
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }

    bool waitForWindow(const std::string& title) {
        auto deadline = std::chrono::steady_clock::now() + 15s;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = -1;
            std::string found =
                sandbox_->run({"xdotool", "search", "--onlyvisible", "--name", title}, &status);
            if (status == 0 && !found.empty()) {
                return true;
            }
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }

    std::string display_;
    std::optional<HelperSandbox> sandbox_;
    FileTemplate template_;
    std::string scriptsDir_;
};

TEST_F(HelperShortcutTest, ABoundShortcutCreatesTheFileInTheFolderTheScriptReports) {
    std::string folder = sandbox_->xdg().makeDir("home/Reported Folder");
    bind('n');
    writeUserScript("printf '%s\\n' '" + folder + "'\n");
    Child helper = startHelperHolding('n');
    ASSERT_TRUE(waitForGrab('n')) << HelperSandbox::readFile(helper.stderrPath);

    ASSERT_EQ(pressKeys("ctrl+alt+n"), 0);
    EXPECT_TRUE(HelperSandbox::waitForPath(folder + "/untitled.txt", 10s))
        << HelperSandbox::readFile(helper.stderrPath);
    EXPECT_EQ(HelperSandbox::readFile(folder + "/untitled.txt"), "text\n");

    // Rebound on a templates change: the old combination is released.
    // (Announced again when the probe held the combination as it was bound.)
    bind('k');
    bool rebound = false;
    for (int attempt = 0; attempt < 3 && !rebound; ++attempt) {
        sandbox_->postNotification(ids::kSuiteName, keys::kFileTemplates);
        rebound = waitForGrab('k', 4s);
    }
    ASSERT_TRUE(rebound);
    OtherXClient other;
    EXPECT_TRUE(other.grab('n', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    other.ungrabAll();
}

TEST_F(HelperShortcutTest, WithoutTheScriptTheFirstPressInstallsItAndCreatesTheFile) {
    bind('h');
    std::string desktop = sandbox_->xdg().makeDir("home/Desktop");
    Child helper = startHelperHolding('h');
    ASSERT_TRUE(waitForGrab('h')) << HelperSandbox::readFile(helper.stderrPath);

    ASSERT_EQ(pressKeys("ctrl+alt+h"), 0);
    // The helper installs the shipped script itself, which reports the
    // desktop folder here (no file manager runs), where the file appears;
    // no window asks for the folder.
    EXPECT_TRUE(HelperSandbox::waitForPath(desktop + "/untitled.txt", 10s))
        << HelperSandbox::readFile(helper.stderrPath);
    struct stat st {};
    ASSERT_EQ(::lstat((scriptsDir_ + "/QuilletHelper.sh").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0755u);
    int status = -1;
    sandbox_->run({"xdotool", "search", "--onlyvisible", "--name", "Select Scripts Directory"},
                  &status);
    EXPECT_NE(status, 0) << "the folder chooser was shown";
}

} // namespace
} // namespace quillet::test
