// The built helper on a private session bus, in temporary XDG folders.
#include "helper_sandbox.h"

#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/request_url.h"

#include "file_text.h"
#include "template_record.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/stat.h>
#include <thread>

namespace quillet::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class HelperIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        templates = sandbox.xdg().makeDir("data/quillet/Templates");
        std::ofstream(templates + "/Text.txt") << "template text\n";
        std::ofstream(templates + "/Tool.sh") << "#!/bin/sh\necho hi\n";
        ::chmod((templates + "/Tool.sh").c_str(), 0755);
        ASSERT_TRUE(store().setObject(
            keys::kFileTemplates,
            Value(Value::Array{templateRecord("untitled", "txt", templates + "/Text.txt"),
                               templateRecord("tool", "sh", templates + "/Text.txt", true),
                               templateRecord("copied", "sh", templates + "/Tool.sh")})));
        ASSERT_TRUE(store().setBool(keys::kSkipFilename, true));
        ASSERT_TRUE(store().setBool(keys::kShowFileOnCreation, false));
        folder = sandbox.xdg().makeDir("home/Projets d'\xC3\xA9t\xC3\xA9 2024");
    }

    SettingsStore& store() { return sandbox.store(); }
    std::string request(const std::string& dir, int index) {
        return makeRequestURL(dir, static_cast<std::uint64_t>(index));
    }
    Child startHelper(std::vector<std::string> urls = {}) {
        urls.insert(urls.begin(), HelperSandbox::helperExecutable());
        return sandbox.spawn(urls);
    }

    HelperSandbox sandbox;
    std::string templates;
    std::string folder;
};

TEST_F(HelperIntegrationTest, CommandLineURLThenAForwardingSecondInstance) {
    ASSERT_TRUE(store().setBool(keys::kRunInBackground, true));
    Child primary = startHelper({request(folder, 0)});
    ASSERT_TRUE(HelperSandbox::waitForPath(folder + "/untitled.txt", 10s));
    EXPECT_EQ(HelperSandbox::readFile(folder + "/untitled.txt"), "template text\n");
    ASSERT_TRUE(sandbox.waitForHelperOnBus(5s));

    // A second start hands its URL over and ends at once.
    Child second = startHelper({request(folder, 0)});
    EXPECT_EQ(sandbox.waitExit(second, 10s), 0);
    ASSERT_TRUE(HelperSandbox::waitForPath(folder + "/untitled-1.txt", 10s));
    // A start without URL while one runs changes nothing either.
    Child third = startHelper();
    EXPECT_EQ(sandbox.waitExit(third, 10s), 0);
    EXPECT_FALSE(sandbox.waitExit(primary, 100ms).has_value());

    sandbox.postNotification(ids::kHelper, ids::kQuitObject);
    EXPECT_EQ(sandbox.waitExit(primary, 10s), 0);
}

TEST_F(HelperIntegrationTest, OpenStartsTheHelperThroughTheBusWithTheCallersFolders) {
    ASSERT_FALSE(sandbox.helperOnBus());
    EXPECT_EQ(sandbox.callOpen({request(folder, 1), request(folder, 2)}), 0);
    // The bus started it with the sandbox's store: the templates are ours.
    ASSERT_TRUE(HelperSandbox::waitForPath(folder + "/tool.sh", 10s));
    ASSERT_TRUE(HelperSandbox::waitForPath(folder + "/copied.sh", 10s));
    EXPECT_EQ(fileMode(folder + "/tool.sh"), 0755u);   // set on a plain file
    EXPECT_EQ(fileMode(folder + "/copied.sh"), 0644u); // cleared on an executable one
    EXPECT_TRUE(sandbox.helperOnBus());
}

TEST_F(HelperIntegrationTest, AnIndexOutOfRangeIsReportedAndTheHelperEndsAfterIt) {
    Child helper = startHelper({request(folder, 9), "file:///etc/passwd"});
    // Idle after the request: it ends about 11 seconds later.
    ASSERT_EQ(sandbox.waitExit(helper, 20s), 0);
    std::string errors = HelperSandbox::readFile(helper.stderrPath);
    EXPECT_NE(errors.find("Unable to create file!: No suitable file template found."),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find("file:///etc/passwd"), std::string::npos) << errors;
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(HelperIntegrationTest, AnIdleHelperEndsByItself) {
    Child helper = startHelper();
    ASSERT_TRUE(sandbox.waitForHelperOnBus(5s));
    EXPECT_EQ(sandbox.waitExit(helper, 20s), 0);
}

TEST_F(HelperIntegrationTest, TwentyConcurrentRequestsGiveTwentyFilesAndReplaceNothing) {
    ASSERT_TRUE(store().setBool(keys::kRunInBackground, true));
    std::ofstream(folder + "/untitled.txt") << "the user's own";
    std::ofstream(folder + "/untitled-3.txt") << "also the user's";
    Child primary = startHelper();
    ASSERT_TRUE(sandbox.waitForHelperOnBus(5s));

    // Half through Open calls, half through forwarding instances, all at once.
    std::vector<std::thread> callers;
    std::vector<Child> forwarders;
    for (int i = 0; i < 10; ++i) {
        callers.emplace_back([&] { sandbox.callOpen({request(folder, 0)}); });
        forwarders.push_back(startHelper({request(folder, 0)}));
    }
    for (auto& caller : callers) {
        caller.join();
    }
    for (auto& forwarder : forwarders) {
        EXPECT_EQ(sandbox.waitExit(forwarder, 10s), 0);
    }
    // A copy is linked into place before its temporary name is removed, so
    // wait until every copy has both arrived and cleaned up after itself.
    auto deadline = std::chrono::steady_clock::now() + 15s;
    std::set<std::string> names;
    while (std::chrono::steady_clock::now() < deadline) {
        names.clear();
        bool temporaryLeft = false;
        for (const auto& entry : fs::directory_iterator(folder)) {
            std::string name = entry.path().filename().string();
            temporaryLeft = temporaryLeft || name.starts_with(".quillet-tmp-");
            names.insert(std::move(name));
        }
        if (names.size() >= 22 && !temporaryLeft) {
            break;
        }
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_EQ(names.size(), 22u);
    EXPECT_EQ(HelperSandbox::readFile(folder + "/untitled.txt"), "the user's own");
    EXPECT_EQ(HelperSandbox::readFile(folder + "/untitled-3.txt"), "also the user's");
    int copies = 0;
    for (const auto& name : names) {
        EXPECT_FALSE(name.starts_with(".quillet-tmp-")) << name;
        copies += HelperSandbox::readFile(folder + "/" + name) == "template text\n" ? 1 : 0;
    }
    EXPECT_EQ(copies, 20);
    sandbox.postNotification(ids::kHelper, ids::kQuitObject);
    EXPECT_EQ(sandbox.waitExit(primary, 10s), 0);
}

TEST_F(HelperIntegrationTest, OtherNotificationsDoNotEndIt) {
    ASSERT_TRUE(store().setBool(keys::kRunInBackground, true));
    Child helper = startHelper();
    ASSERT_TRUE(sandbox.waitForHelperOnBus(5s));
    sandbox.postNotification(ids::kSuiteName, keys::kMonitoredPaths);
    sandbox.postNotification(ids::kHelper, "hello");
    EXPECT_FALSE(sandbox.waitExit(helper, 1s).has_value());
    sandbox.postNotification(ids::kHelper, ids::kQuitObject);
    EXPECT_EQ(sandbox.waitExit(helper, 10s), 0);
}

TEST_F(HelperIntegrationTest, URLsReachItThroughTheDesktopsHandlers) {
    ASSERT_TRUE(store().setBool(keys::kRunInBackground, true));
    // The build tree's desktop entry, found the way the desktop finds it.
    const std::string share = QUILLET_SHARE_DIR;
    if (!fs::exists(share + "/applications/mimeinfo.cache")) {
        GTEST_SKIP() << "update-desktop-database did not index the build tree";
    }
    ::setenv("XDG_DATA_DIRS", (share + ":/usr/share").c_str(), 1);
    // The desktop only offers handlers whose program it can find.
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
    ::setenv(
        "PATH",
        (fs::path(HelperSandbox::helperExecutable()).parent_path().string() + ":" + path).c_str(),
        1);
    int status = -1;
    sandbox.run({"gio", "open", request(folder, 0)}, &status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(HelperSandbox::waitForPath(folder + "/untitled.txt", 10s));
    ::setenv("PATH", path.c_str(), 1);
}

// The copy watches its own file: replacing, moving or deleting it ends it.
class ReplacedExecutableTest : public HelperIntegrationTest,
                               public ::testing::WithParamInterface<const char*> {};

TEST_P(ReplacedExecutableTest, EndsTheHelper) {
    ASSERT_TRUE(store().setBool(keys::kRunInBackground, true));
    std::string bin = sandbox.xdg().makeDir("install/bin");
    std::string exe = bin + "/quillet-helper";
    fs::copy_file(HelperSandbox::helperExecutable(), exe);
    ::chmod(exe.c_str(), 0755);
    Child helper = sandbox.spawn({exe});
    ASSERT_TRUE(sandbox.waitForHelperOnBus(10s));
    std::this_thread::sleep_for(300ms); // launch finished: the watch is set

    const std::string how = GetParam();
    if (how == "mv") {
        fs::copy_file(exe, bin + "/new");
        fs::rename(bin + "/new", exe);
    } else if (how == "rm") {
        fs::remove(exe);
    } else if (how == "rename") {
        fs::rename(exe, bin + "/old");
    } else if (how == "cp --remove-destination") {
        int status = -1;
        sandbox.run({"cp", "--remove-destination", HelperSandbox::helperExecutable(), exe},
                    &status);
        ASSERT_EQ(status, 0);
    }
    EXPECT_EQ(sandbox.waitExit(helper, 10s), 0);
}

INSTANTIATE_TEST_SUITE_P(Ways, ReplacedExecutableTest,
                         ::testing::Values("mv", "rm", "rename", "cp --remove-destination"),
                         [](const auto& param) {
                             std::string name = param.param;
                             for (char& c : name) {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

} // namespace
} // namespace quillet::test
