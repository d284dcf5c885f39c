// The built launcher on a private session bus: it starts the main program
// (a stand-in that leaves a mark) and the real helper found beside it, holds
// its bus name meanwhile, and ends by itself.
#include "helper_sandbox.h"

#include "shared/identifiers.h"
#include "shared/keys.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace quillet::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class LauncherProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        bin = sandbox.xdg().makeDir("opt/quillet bin");
        fs::copy_file(QUILLET_LAUNCHER_EXE, bin + "/quillet-launcher");
        mark = sandbox.xdg().root() + "/app-started";
        // The mark appears whole (written aside, then renamed): the test reads
        // it as soon as it exists.
        std::ofstream(bin + "/quillet") << "#!/bin/sh\necho \"$0\" > '" << mark << ".part' && mv '"
                                        << mark << ".part' '" << mark << "'\n";
        ::chmod((bin + "/quillet").c_str(), 0755);
        fs::create_symlink(HelperSandbox::helperExecutable(), bin + "/quillet-helper");
        ASSERT_TRUE(sandbox.store().setBool(keys::kRunInBackground, true));
    }

    bool nameOwned(const char* name) {
        return sandbox
                   .run({"gdbus", "call", "--session", "--dest", "org.freedesktop.DBus",
                         "--object-path", "/org/freedesktop/DBus", "--method",
                         "org.freedesktop.DBus.NameHasOwner", name})
                   .find("true") != std::string::npos;
    }

    HelperSandbox sandbox;
    std::string bin, mark;
};

TEST_F(LauncherProcessTest, StartsBothProgramsThenEndsWithoutStartingTwice) {
    ASSERT_TRUE(sandbox.store().setBool(keys::kLaunchAtLogin, true));
    ASSERT_TRUE(sandbox.store().setBool(keys::kShouldLaunchHelper, true));
    Child launcher = sandbox.spawn({bin + "/quillet-launcher"});
    ASSERT_TRUE(HelperSandbox::waitForPath(mark, 10s));
    EXPECT_EQ(HelperSandbox::readFile(mark), bin + "/quillet\n");
    ASSERT_TRUE(sandbox.waitForHelperOnBus(10s));
    EXPECT_TRUE(nameOwned(ids::kLauncher));
    auto helper = sandbox.helperPid();
    ASSERT_TRUE(helper);

    EXPECT_EQ(sandbox.waitExit(launcher, 30s), 0);
    EXPECT_FALSE(nameOwned(ids::kLauncher));
    const std::string log = HelperSandbox::readFile(launcher.stderrPath);
    EXPECT_NE(log.find("appPath: " + bin + "/quillet\n"), std::string::npos) << log;
    EXPECT_NE(log.find("appPath: " + bin + "/quillet-helper\n"), std::string::npos) << log;

    // At the next login the helper still runs: it is not started again.
    ASSERT_TRUE(sandbox.store().setBool(keys::kLaunchAtLogin, false));
    fs::remove(mark);
    Child again = sandbox.spawn({bin + "/quillet-launcher"});
    EXPECT_EQ(sandbox.waitExit(again, 30s), 0);
    EXPECT_EQ(sandbox.helperPid(), helper);
    EXPECT_FALSE(fs::exists(mark));
}

} // namespace
} // namespace quillet::test
