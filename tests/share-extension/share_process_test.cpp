// The built quillet-share on a display, confirmed from the keyboard: the
// helper, started by the bus, creates the file where the rule says.
#include "helper_sandbox.h"

#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/records.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace quillet::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class ShareProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr) {
            GTEST_SKIP() << "needs an X display (xvfb-run)";
        }
        display_ = display;
        sandbox.emplace();
        templates = sandbox->xdg().makeDir("data/quillet/Templates");
        std::ofstream(templates + "/Text.txt") << "text\n";
        auto record = [&](const char* title, bool enabled) {
            return FileTemplate{.enabled = enabled,
                                .title = title,
                                .filePath = templates + "/Text.txt",
                                .prefix = title,
                                .suffix = "txt"}
                .toValue();
        };
        ASSERT_TRUE(sandbox->store().setObject(
            keys::kFileTemplates, Value(Value::Array{record("off", false), record("note", true)})));
        ASSERT_TRUE(sandbox->store().setBool(keys::kSkipFilename, true));
        ASSERT_TRUE(sandbox->store().setBool(keys::kShowFileOnCreation, false));
        ASSERT_TRUE(sandbox->store().setBool(keys::kRunInBackground, true));
    }

    // Runs the sheet for the arguments and confirms its first row with Return.
    int shareAndConfirm(const std::vector<std::string>& arguments) {
        ::setenv("DISPLAY", display_.c_str(), 1);
        std::vector<std::string> argv{QUILLET_SHARE_EXE};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        Child share = sandbox->spawn(argv);
        std::string window =
            sandbox->run({"xdotool", "search", "--sync", "--pid", std::to_string(share.pid),
                          "--name", "New File from Template"});
        window = window.substr(0, window.find('\n'));
        // A key sent while the window is still taking the focus is lost
        // under load: sent again until the sheet has ended.
        std::optional<int> status;
        for (int attempt = 0; attempt < 10 && !status; ++attempt) {
            sandbox->run({"xdotool", "windowfocus", "--sync", window, "key", "Return"});
            status = sandbox->waitExit(share, 2s);
        }
        ::unsetenv("DISPLAY");
        log = HelperSandbox::readFile(share.stderrPath);
        return status.value_or(-1);
    }

    std::string display_;
    std::optional<HelperSandbox> sandbox;
    std::string templates;
    std::string log;
};

TEST_F(ShareProcessTest, AFileAndAFolder) {
    const std::string folder = sandbox->xdg().makeDir("home/Notes and Lists");
    std::ofstream(folder + "/list.txt") << "x";

    EXPECT_EQ(shareAndConfirm({folder + "/list.txt"}), 0) << log;
    EXPECT_NE(log.find("selected path: " + folder + "/list.txt"), std::string::npos) << log;
    EXPECT_TRUE(HelperSandbox::waitForPath(folder + "/note.txt", 10s));

    EXPECT_EQ(shareAndConfirm({"file://" + folder}), 0) << log;
    EXPECT_TRUE(HelperSandbox::waitForPath(folder + "/note-1.txt", 10s));

    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
}

// Arguments are items, never options for Qt or for the program: files named
// "-platform" and "xyz" once aborted it, and "." reached the helper as
// "/cwd/.", which it refuses. A missing item is said to be missing.
TEST_F(ShareProcessTest, ArgumentsAreItemsResolvedAgainstTheWorkingFolder) {
    const std::string folder = sandbox->xdg().makeDir("home/Work");
    std::ofstream(folder + "/-platform") << "x";
    std::ofstream(folder + "/xyz") << "x";
    const fs::path before = fs::current_path();
    fs::current_path(folder);
    const int options = shareAndConfirm({"-platform", "xyz"});
    const std::string optionsLog = log;
    const int dot = shareAndConfirm({"--", "."});
    const std::string dotLog = log;
    fs::current_path(before);

    EXPECT_EQ(options, 0) << optionsLog;
    EXPECT_NE(optionsLog.find("selected path: " + folder + "/xyz"), std::string::npos)
        << optionsLog;
    EXPECT_TRUE(HelperSandbox::waitForPath(folder + "/note.txt", 10s));
    EXPECT_EQ(dot, 0) << dotLog;
    EXPECT_NE(dotLog.find("selected path: " + folder + "\n"), std::string::npos) << dotLog;
    EXPECT_TRUE(HelperSandbox::waitForPath(folder + "/note-1.txt", 10s));

    // Nothing there: said so, and no request sent.
    const std::string missing = folder + "/not yet";
    EXPECT_EQ(shareAndConfirm({missing}), 1) << log;
    EXPECT_NE(log.find("No such file or directory"), std::string::npos) << log;
    EXPECT_EQ(log.find("Permission denied"), std::string::npos) << log;
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 4);
}

} // namespace
} // namespace quillet::test
