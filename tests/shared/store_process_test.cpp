// The settings store shared by several processes: simultaneous writers,
// writers killed in the middle of a write, and folders that cannot be written.
#include "shared/identifiers.h"
#include "shared/plist_json.h"
#include "shared/settings_store.h"
#include "shared/writability.h"
#include "support/file_text.h"
#include "support/temp_xdg.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sched.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using quillet::SettingsStore;
using quillet::Value;
namespace fs = std::filesystem;

namespace {

using quillet::test::fileText;

std::vector<std::string> leftovers(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        std::string name = e.path().filename().string();
        if (name.find(".tmp") != std::string::npos) {
            names.push_back(name);
        }
    }
    return names;
}

int waitFor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// Checks inside a forked child, where GoogleTest's assertions cannot report.
struct ChildChecks {
    int failures = 0;
    void expect(bool ok, const char* what) {
        if (!ok) {
            std::fprintf(stderr, "child check failed: %s\n", what);
            ++failures;
        }
    }
};

constexpr int kChildSkipped = 77;

// Built by appending: "p" + std::to_string(...) trips GCC 12's -Wrestrict at -O3.
std::string keyOf(int process, int k) {
    std::string key = "p";
    key += std::to_string(process);
    key += "-k";
    key += std::to_string(k);
    return key;
}

} // namespace

TEST(StoreProcesses, SimultaneousWritersOfDistinctKeysLoseNothing) {
    quillet::test::TempXdg xdg;
    constexpr int kProcesses = 8;
    constexpr int kKeysEach = 10;
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(gate[1]);
            char c;
            (void)::read(gate[0], &c, 1); // returns when the parent opens the gate
            SettingsStore store(quillet::ids::kSuiteName);
            int failed = 0;
            for (int k = 0; k < kKeysEach; ++k) {
                const std::string key = keyOf(p, k);
                failed += store.setInteger(key, p * 100 + k) ? 0 : 1;
            }
            ::_exit(failed);
        }
        children.push_back(pid);
    }
    ::close(gate[0]);
    ::close(gate[1]); // all start at once
    for (pid_t pid : children) {
        int status = waitFor(pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    SettingsStore store(quillet::ids::kSuiteName);
    Value::Dictionary all = store.storedValues();
    EXPECT_EQ(all.size(), static_cast<std::size_t>(kProcesses * kKeysEach));
    for (int p = 0; p < kProcesses; ++p) {
        for (int k = 0; k < kKeysEach; ++k) {
            const std::string key = keyOf(p, k);
            EXPECT_EQ(store.integerForKey(key), p * 100 + k) << key;
        }
    }
    EXPECT_TRUE(leftovers(xdg.configHome() + "/quillet").empty());
}

TEST(StoreProcesses, AKilledWriterLeavesTheOldOrTheNewFile) {
    quillet::test::TempXdg xdg;
    const std::string dir = xdg.configHome() + "/quillet";
    SettingsStore store(quillet::ids::kSuiteName);
    // A large value makes each write long enough to be caught in the middle.
    const std::string payload(512 * 1024, 'p');
    ASSERT_TRUE(store.setString("payload", payload));
    ASSERT_TRUE(store.setInteger("counter", 0));

    std::mt19937 random(12345);
    std::int64_t lastSeen = 0;
    std::size_t roundsWithLeftovers = 0;
    for (int round = 0; round < 25; ++round) {
        SCOPED_TRACE(round);
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            SettingsStore writer(quillet::ids::kSuiteName);
            for (std::int64_t i = writer.integerForKey("counter") + 1;; ++i) {
                (void)writer.setInteger("counter", i);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
        ::kill(pid, SIGKILL);
        waitFor(pid);

        auto parsed = quillet::parseSettingsText(fileText(store.filePath()));
        ASSERT_TRUE(parsed) << parsed.error().reason();
        ASSERT_TRUE(parsed->count("counter"));
        std::int64_t counter = (*parsed)["counter"].asInteger().value_or(-1);
        EXPECT_GE(counter, lastSeen) << "an old or a new value, never an older one";
        lastSeen = counter;
        EXPECT_EQ((*parsed)["payload"], Value(payload));
        EXPECT_EQ(store.integerForKey("counter"), counter);
        if (!leftovers(dir).empty()) {
            ++roundsWithLeftovers;
        }
    }
    // A temporary file of a killed writer may remain until the next write,
    // which removes it under the lock.
    ASSERT_TRUE(store.setString("after", "yes"));
    EXPECT_TRUE(leftovers(dir).empty());
    std::printf("rounds that left a temporary file behind: %zu of 25\n", roundsWithLeftovers);
}

// Runs `body` in a child with its own mount namespace, so that mounts made
// there vanish with it. Skips the test when mounting is not permitted.
template <typename Body> void inPrivateMountNamespace(Body body) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            ::_exit(kChildSkipped);
        }
        ChildChecks checks;
        body(checks);
        ::_exit(checks.failures == 0 ? 0 : 1);
    }
    int status = waitFor(pid);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == kChildSkipped) {
        GTEST_SKIP() << "cannot mount in a private namespace here (needs root)";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "see the child's failed checks above";
}

TEST(StoreProcesses, ReadOnlyFolderRefusesWritesAndLosesNothing) {
    quillet::test::TempXdg xdg;
    const std::string dir = xdg.configHome() + "/quillet";
    {
        SettingsStore store(quillet::ids::kSuiteName);
        ASSERT_TRUE(store.setString("kept", "yes"));
    }
    inPrivateMountNamespace([&](ChildChecks& checks) {
        // Root ignores folder modes, but not a read-only mount.
        if (::mount(dir.c_str(), dir.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
            ::mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) !=
                0) {
            ::_exit(kChildSkipped);
        }
        SettingsStore store(quillet::ids::kSuiteName);
        const std::string before = fileText(store.filePath());
        const quillet::Status refused = store.setString("kept", "no");
        checks.expect(!refused, "setObject fails");
        checks.expect(!refused && !refused.error().logText().empty(), "the failure has a message");
        checks.expect(store.stringForKey("kept") == std::optional<std::string>("yes"),
                      "the in-process view is unchanged");
        checks.expect(fileText(store.filePath()) == before, "the file is byte-identical");
        checks.expect(leftovers(dir).empty(), "no temporary file left");
        checks.expect(!quillet::isWritableOrCreatable(dir + "/missing/child"),
                      "the folder is reported unwritable");
    });
}

TEST(StoreProcesses, FullDiskRefusesWritesAndLosesNothing) {
    quillet::test::TempXdg xdg;
    const std::string dir = xdg.configHome() + "/quillet";
    fs::create_directories(dir);
    inPrivateMountNamespace([&](ChildChecks& checks) {
        if (::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k,mode=0700") != 0) {
            ::_exit(kChildSkipped);
        }
        SettingsStore store(quillet::ids::kSuiteName);
        checks.expect(store.setString("kept", "yes").ok(), "a first small write fits");
        const std::string before = fileText(store.filePath());
        {
            // Fill what is left of the file system.
            std::ofstream filler(dir + "/filler", std::ios::binary);
            const std::string block(4096, 'f');
            for (int i = 0; i < 64 && filler; ++i) {
                filler << block << std::flush;
            }
        }
        const quillet::Status refused = store.setString("big", std::string(32 * 1024, 'b'));
        checks.expect(!refused, "setObject fails");
        checks.expect(!refused && refused.error().logText().find("space") != std::string::npos,
                      "the message says why");
        checks.expect(fileText(store.filePath()) == before, "the file is byte-identical");
        checks.expect(leftovers(dir).empty(), "no temporary file left");
        checks.expect(store.stringForKey("kept") == std::optional<std::string>("yes"),
                      "the old value reads back");
        checks.expect(!store.objectForKey("big").isNull() == false, "the new key is absent");
    });
}

TEST(StoreProcesses, AFailedWriteOverAnUnreadableFileLeavesItInPlace) {
    quillet::test::TempXdg xdg;
    const std::string dir = xdg.configHome() + "/quillet";
    fs::create_directories(dir);
    const std::string file = dir + "/" + quillet::ids::kSuiteName + ".json";
    std::ofstream(file) << "{ this is not a settings file";
    const std::string before = fileText(file);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // A file-size limit makes the new file's write fail half-way.
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{8, 8};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        SettingsStore store(quillet::ids::kSuiteName);
        ChildChecks checks;
        checks.expect(!store.setString("key", std::string(64, 'x')), "setObject fails");
        ::_exit(checks.failures == 0 ? 0 : 1);
    }
    int status = waitFor(pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(fileText(file), before) << "the unreadable file is still where it was";
    EXPECT_TRUE(leftovers(dir).empty());
    for (const auto& e : fs::directory_iterator(dir)) {
        EXPECT_EQ(e.path().filename().string().find(".corrupt-"), std::string::npos)
            << "nothing is set aside before the new file exists";
    }

    // Without the limit the same write succeeds and keeps the old text aside.
    SettingsStore store(quillet::ids::kSuiteName);
    ASSERT_TRUE(store.setString("key", "value"));
    int aside = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (e.path().filename().string().find(".corrupt-") != std::string::npos) {
            EXPECT_EQ(fileText(e.path().string()), before);
            ++aside;
        }
    }
    EXPECT_EQ(aside, 1);
}
