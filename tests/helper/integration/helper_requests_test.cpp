// What reaches the helper is what was sent, on every road, and no request is
// lost while helpers come and go.
#include "helper_sandbox.h"

#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/records.h"
#include "shared/request_url.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

namespace quillet::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class HelperRequestsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string templates = sandbox.xdg().makeDir("data/quillet/Templates");
        std::ofstream(templates + "/Text.txt") << "template text\n";
        ASSERT_TRUE(sandbox.store().setObject(
            keys::kFileTemplates,
            Value(Value::Array{FileTemplate{.enabled = true,
                                            .title = "Text",
                                            .filePath = templates + "/Text.txt",
                                            .prefix = "untitled",
                                            .suffix = "txt"}
                                   .toValue()})));
        ASSERT_TRUE(sandbox.store().setBool(keys::kSkipFilename, true));
        ASSERT_TRUE(sandbox.store().setBool(keys::kShowFileOnCreation, false));
    }

    static std::size_t count(const std::string& text, const std::string& what) {
        std::size_t n = 0;
        for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
            ++n;
        }
        return n;
    }

    HelperSandbox sandbox;
};

TEST_F(HelperRequestsTest, TheSameTextGetsTheSameVerdictOnEveryRoad) {
    ASSERT_TRUE(sandbox.store().setBool(keys::kRunInBackground, true));
    const std::string folder = sandbox.xdg().makeDir("home/target");
    // Each of these is refused; a reader that normalised them first would
    // create in $HOME/target, in /tmp/x or in "relative/path" below the
    // working folder.
    const std::vector<std::string> urls = {
        "quillet:relative/path?0",
        "quillet://user@/tmp/x?0",
        "quillet://" + percentEncodePath(sandbox.xdg().home()) + "/missing/../target?0",
    };
    std::vector<std::string> commandLine{HelperSandbox::helperExecutable()};
    commandLine.insert(commandLine.end(), urls.begin(), urls.end());
    Child helper = sandbox.spawn(commandLine);
    ASSERT_TRUE(sandbox.waitForHelperOnBus(10s));

    EXPECT_EQ(sandbox.callOpen(urls), 0);
    for (const auto& url : urls) {
        Child forwarder = sandbox.spawn({HelperSandbox::helperExecutable(), url});
        EXPECT_EQ(sandbox.waitExit(forwarder, 10s), 0);
    }
    std::size_t roads = 3;
    const std::string share = QUILLET_SHARE_DIR;
    if (fs::exists(share + "/applications/mimeinfo.cache")) {
        ::setenv("XDG_DATA_DIRS", (share + ":/usr/share").c_str(), 1);
        const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
        const std::string bin = fs::path(HelperSandbox::helperExecutable()).parent_path().string();
        ::setenv("PATH", (bin + ":" + path).c_str(), 1);
        for (const auto& url : urls) {
            sandbox.run({"gio", "open", url});
        }
        ::setenv("PATH", path.c_str(), 1);
        ++roads;
    }
    // A last request that is served marks the end of the earlier ones.
    EXPECT_EQ(sandbox.callOpen({makeRequestURL(folder, 0)}), 0);
    ASSERT_TRUE(HelperSandbox::waitForPath(folder + "/untitled.txt", 10s));
    const std::string errors = HelperSandbox::readFile(helper.stderrPath);
    EXPECT_EQ(count(errors, "Unable to create file!"), roads * urls.size()) << errors;
    for (const auto& url : urls) {
        EXPECT_EQ(count(errors, url + ": "), roads) << url << "\n" << errors;
    }
    EXPECT_FALSE(fs::exists("/tmp/x/untitled.txt"));
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::set<std::string>{"untitled.txt"});
    sandbox.postNotification(ids::kHelper, ids::kQuitObject);
    EXPECT_EQ(sandbox.waitExit(helper, 10s), 0);
}

TEST_F(HelperRequestsTest, AStreamOfRequestsAcrossIdleQuitsLosesNone) {
    // Not running in the background: each helper the bus starts ends 11
    // seconds after its first request, while the stream goes on.
    ASSERT_TRUE(sandbox.store().setBool(keys::kRunInBackground, false));
    const std::string root = sandbox.xdg().makeDir("home/stream");
    std::set<pid_t> helpers;
    std::vector<std::string> folders;
    const auto end = std::chrono::steady_clock::now() + 25s;
    for (int i = 0; std::chrono::steady_clock::now() < end; ++i) {
        folders.push_back(sandbox.xdg().makeDir("home/stream/" + std::to_string(i)));
        EXPECT_EQ(sandbox.callOpen({makeRequestURL(folders.back(), 0)}), 0) << i;
        if (i % 5 == 0) {
            if (auto pid = sandbox.helperPid()) {
                helpers.insert(*pid);
            }
        }
    }
    EXPECT_GE(helpers.size(), 2u) << "the stream did not outlast a helper";
    std::size_t missing = 0;
    for (const auto& folder : folders) {
        missing += HelperSandbox::waitForPath(folder + "/untitled.txt", 5s) ? 0 : 1;
    }
    EXPECT_EQ(missing, 0u) << "of " << folders.size() << " requests";
}

} // namespace
} // namespace quillet::test
