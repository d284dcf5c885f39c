// The shared settings store within one process: typed reads, registered
// defaults, write-through, other handles' changes, unreadable files.
#include "shared/settings_store.h"

#include "shared/identifiers.h"
#include "shared/plist_json.h"
#include "shared/xdg_paths.h"
#include "support/file_text.h"
#include "support/temp_xdg.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using quillet::SettingsStore;
using quillet::Value;
namespace fs = std::filesystem;

namespace {

using quillet::test::fileText;
using quillet::test::namesIn;

void writeFile(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

class SettingsStoreTest : public ::testing::Test {
protected:
    quillet::test::TempXdg xdg;
    SettingsStore store{quillet::ids::kSuiteName};
};

} // namespace

TEST_F(SettingsStoreTest, OpensTheSuiteFileUnderTheConfigHome) {
    EXPECT_EQ(store.filePath(),
              xdg.configHome() + "/quillet/" + std::string(quillet::ids::kSuiteName) + ".json");
    EXPECT_TRUE(store.objectForKey("anything").isNull());
    EXPECT_FALSE(fs::exists(store.filePath())) << "reading must not create the file";
}

TEST_F(SettingsStoreTest, TypedReadsYieldNothingForWrongTypes) {
    ASSERT_TRUE(store.setString("text", "hello"));
    ASSERT_TRUE(store.setObject("list", Value::Array{1, 2}));
    ASSERT_TRUE(store.setObject("table", Value::Dictionary{{"a", "b"}}));
    EXPECT_FALSE(store.arrayForKey("text"));
    EXPECT_FALSE(store.dictionaryForKey("list"));
    EXPECT_FALSE(store.stringForKey("table"));
    EXPECT_FALSE(store.boolForKey("text")) << "a string is not a number";
    EXPECT_EQ(store.integerForKey("list"), 0);
    EXPECT_FALSE(store.arrayForKey("missing"));
    EXPECT_FALSE(store.boolForKey("missing"));
    EXPECT_EQ(*store.stringForKey("text"), "hello");
    EXPECT_EQ(store.arrayForKey("list")->size(), 2u);
}

TEST_F(SettingsStoreTest, BoolIsTrueForAnyNonZeroNumber) {
    const std::pair<Value, bool> cases[] = {{1, true},      {true, true}, {2, true},
                                            {-3, true},     {0.5, true},  {0, false},
                                            {false, false}, {0.0, false}};
    for (const auto& [stored, expected] : cases) {
        ASSERT_TRUE(store.setObject("flag", stored));
        EXPECT_EQ(store.boolForKey("flag"), expected);
    }
    // 1 and true are the same value to every reader.
    ASSERT_TRUE(store.setObject("a", 1));
    ASSERT_TRUE(store.setObject("b", true));
    EXPECT_EQ(store.objectForKey("a"), store.objectForKey("b"));
}

TEST_F(SettingsStoreTest, RegisteredDefaultsAreNeverWritten) {
    store.registerDefaults({{"skipFilename", true}, {"cascadeMenu", false}});
    EXPECT_TRUE(store.boolForKey("skipFilename"));
    ASSERT_TRUE(store.setBool("cascadeMenu", true));
    EXPECT_TRUE(store.boolForKey("cascadeMenu")) << "a stored value beats the default";
    auto onDisk = quillet::parseSettingsText(fileText(store.filePath()));
    ASSERT_TRUE(onDisk);
    EXPECT_EQ(onDisk->count("skipFilename"), 0u);
    EXPECT_EQ(store.storedValues().count("skipFilename"), 0u);
    // Another handle (another program) does not see this program's defaults.
    SettingsStore other(quillet::ids::kSuiteName);
    EXPECT_FALSE(other.boolForKey("skipFilename"));
    // Removing the stored value brings the default back.
    ASSERT_TRUE(store.removeObjectForKey("cascadeMenu"));
    EXPECT_FALSE(store.boolForKey("cascadeMenu"));
}

TEST_F(SettingsStoreTest, NullRemovesTheKey) {
    ASSERT_TRUE(store.setObject("k", "v"));
    ASSERT_TRUE(store.setObject("k", Value()));
    EXPECT_EQ(store.storedValues().count("k"), 0u);
}

TEST_F(SettingsStoreTest, OtherHandlesSeeWritesAtOnce) {
    SettingsStore reader(quillet::ids::kSuiteName);
    EXPECT_TRUE(reader.objectForKey("k").isNull());
    ASSERT_TRUE(store.setInteger("k", 1));
    EXPECT_EQ(reader.integerForKey("k"), 1);
    // Same size, written within the same clock tick: still noticed.
    ASSERT_TRUE(store.setInteger("k", 2));
    EXPECT_EQ(reader.integerForKey("k"), 2);
}

TEST_F(SettingsStoreTest, AWriteKeepsKeysWrittenMeanwhileByOthers) {
    SettingsStore other(quillet::ids::kSuiteName);
    ASSERT_TRUE(store.setString("mine", "1"));
    EXPECT_TRUE(other.objectForKey("mine") == Value("1"));
    ASSERT_TRUE(other.setString("theirs", "2"));
    // `store` has not read since `other` wrote; its write must not drop "theirs".
    ASSERT_TRUE(store.setString("mine", "3"));
    SettingsStore fresh(quillet::ids::kSuiteName);
    EXPECT_EQ(fresh.objectForKey("theirs"), Value("2"));
    EXPECT_EQ(fresh.objectForKey("mine"), Value("3"));
}

TEST_F(SettingsStoreTest, DataAndNestedRecordsSurviveTheFile) {
    Value records(
        Value::Array{Value::Dictionary{{"path", "/tmp"}, {"bookmarkData", Value::Data{1, 2, 3}}}});
    ASSERT_TRUE(store.setObject("authorizedDirs", records));
    SettingsStore fresh(quillet::ids::kSuiteName);
    EXPECT_EQ(fresh.objectForKey("authorizedDirs"), records);
}

TEST_F(SettingsStoreTest, CorruptFileIsKeptAsideAndTheNextWriteStartsFresh) {
    const std::string garbage = "{\"fileTemplates\": [ this is not json";
    writeFile(store.filePath(), garbage);
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(store.storedValues().empty());
    EXPECT_TRUE(store.objectForKey("fileTemplates").isNull());
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(store.filePath()), std::string::npos) << "reported on stderr: " << said;
    EXPECT_EQ(fileText(store.filePath()), garbage) << "reading never touches the file";

    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(store.setBool("playSound", true));
    said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(".corrupt-"), std::string::npos) << said;

    std::string aside;
    for (const auto& name : namesIn(xdg.configHome() + "/quillet")) {
        if (name.find(".json.corrupt-") != std::string::npos) {
            aside = xdg.configHome() + "/quillet/" + name;
        }
    }
    ASSERT_FALSE(aside.empty()) << "the unreadable file was kept aside";
    EXPECT_EQ(fileText(aside), garbage);
    auto fresh = quillet::parseSettingsText(fileText(store.filePath()));
    ASSERT_TRUE(fresh);
    EXPECT_EQ(Value(*fresh), Value(Value::Dictionary{{"playSound", true}}));
}

TEST_F(SettingsStoreTest, TextThatIsNotUtf8IsRefusedNotMangled) {
    ASSERT_TRUE(store.setString("folder", "/home/me"));
    const std::string before = fileText(store.filePath());
    // A Linux path may hold any bytes; JSON cannot, and a replaced character
    // would make other programs read another folder than this one wrote.
    const quillet::Status refused = store.setString("folder", "/home/caf\xE9");
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().logText(), "cannot store \"folder\": text that is not UTF-8");
    EXPECT_FALSE(store.setObject("list", Value::Array{Value("ok"), Value("\xFF")}));
    EXPECT_EQ(fileText(store.filePath()), before);
    EXPECT_EQ(store.stringForKey("folder"), std::optional<std::string>("/home/me"));
    EXPECT_TRUE(store.objectForKey("list").isNull());
}

TEST_F(SettingsStoreTest, UnwritableFolderLeavesEverythingAsItWas) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root ignores folder modes; store_process_tests covers this with a "
                        "read-only mount";
    }
    ASSERT_TRUE(store.setString("kept", "yes"));
    const std::string before = fileText(store.filePath());
    const std::string dir = xdg.configHome() + "/quillet";
    const auto filesBefore = namesIn(dir);
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read |
                             fs::perms::others_exec);
    const quillet::Status refused = store.setString("kept", "no");
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().code(), std::errc::permission_denied) << refused.error().logText();
    EXPECT_EQ(*store.stringForKey("kept"), "yes") << "the in-process view is unchanged";
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
    EXPECT_EQ(fileText(store.filePath()), before);
    EXPECT_EQ(namesIn(dir), filesBefore) << "no temporary file is left";
}

TEST_F(SettingsStoreTest, AnUnreadableFileIsAReadErrorNotAnEmptyStore) {
    EXPECT_TRUE(store.readStatus()) << "an absent file is no settings yet";
    ASSERT_TRUE(store.setString("kept", "yes"));
    EXPECT_TRUE(store.readStatus());
    std::ofstream(store.filePath(), std::ios::app) << "garbage";
    const quillet::Status garbage = store.readStatus();
    ASSERT_FALSE(garbage);
    EXPECT_EQ(garbage.error().reason().rfind("not valid JSON (at line ", 0), 0u)
        << garbage.error().reason();
    ASSERT_TRUE(store.setString("kept", "again")); // kept aside, written afresh
    EXPECT_TRUE(store.readStatus());
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads files of any mode";
    }
    const std::string before = fileText(store.filePath());
    fs::permissions(store.filePath(), fs::perms::owner_write);
    const quillet::Status denied = store.readStatus();
    ASSERT_FALSE(denied);
    EXPECT_EQ(denied.error().reason(), "Permission denied");
    // A writer must not take it for an empty store and write over it.
    EXPECT_FALSE(store.setString("other", "value"));
    fs::permissions(store.filePath(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fileText(store.filePath()), before);
}

TEST_F(SettingsStoreTest, ReadsFromManyThreadsWhileWriting) {
    ASSERT_TRUE(store.setInteger("n", 0));
    std::atomic<bool> done{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&] {
            while (!done) {
                if (!store.objectForKey("n").asInteger()) {
                    ++bad;
                }
            }
        });
    }
    for (int i = 1; i <= 50; ++i) {
        ASSERT_TRUE(store.setInteger("n", i));
    }
    done = true;
    for (auto& t : readers) {
        t.join();
    }
    EXPECT_EQ(bad, 0);
    EXPECT_EQ(store.integerForKey("n"), 50);
}

TEST_F(SettingsStoreTest, AtPathAndMoveKeepTheFile) {
    const std::string path = xdg.root() + "/elsewhere/store.json";
    SettingsStore a = SettingsStore::atPath(path);
    ASSERT_TRUE(a.setString("k", "v"));
    SettingsStore b(std::move(a));
    EXPECT_EQ(b.filePath(), path);
    EXPECT_EQ(*b.stringForKey("k"), "v");
}

TEST_F(SettingsStoreTest, WritesThroughALinkedStoreFile) {
    // Users who keep their settings in a dotfiles repository link the store:
    // the link must stay and the file it names must change.
    const std::string dir = xdg.configHome() + "/quillet";
    const std::string repo = xdg.root() + "/dotfiles";
    const std::string name = fs::path(store.filePath()).filename().string();
    struct Case {
        const char* what;
        std::string linkText; // what the store's link says
        std::string target;   // the file at the end of the chain
        std::string hop;      // when set, repo/hop.json is a link saying this
        bool targetExists;
    };
    const Case cases[] = {
        {"absolute link", repo + "/a.json", repo + "/a.json", "", true},
        {"relative link", "../../dotfiles/b.json", repo + "/b.json", "", true},
        {"link to a link", repo + "/hop.json", repo + "/c.json", "c.json", true},
        {"link to a file not there yet", repo + "/new/d.json", repo + "/new/d.json", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir);
        fs::remove_all(repo);
        fs::create_directories(dir);
        fs::create_directories(repo);
        if (c.targetExists) {
            writeFile(c.target, "{\"kept\": 1}");
        }
        if (!c.hop.empty()) {
            fs::create_symlink(c.hop, repo + "/hop.json");
        }
        fs::create_symlink(c.linkText, store.filePath());

        const quillet::Status stored = store.setBool("playSound", true);
        ASSERT_TRUE(stored) << stored.error().logText();
        ASSERT_TRUE(fs::is_symlink(store.filePath()));
        EXPECT_EQ(fs::read_symlink(store.filePath()).string(), c.linkText);
        auto written = quillet::parseSettingsText(fileText(c.target));
        ASSERT_TRUE(written);
        EXPECT_EQ(written->count("playSound"), 1u);
        EXPECT_EQ(written->count("kept"), c.targetExists ? 1u : 0u);
        EXPECT_TRUE(fs::exists(c.target + ".lock")) << "the lock is beside the linked file";
        EXPECT_EQ(namesIn(dir), std::vector<std::string>{name}) << "nothing beside the link";
        EXPECT_TRUE(SettingsStore(quillet::ids::kSuiteName).boolForKey("playSound"));
    }

    // A loop of links is refused and left as it is.
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::create_symlink(dir + "/loop-b", dir + "/loop-a");
    fs::create_symlink(dir + "/loop-a", dir + "/loop-b");
    fs::create_symlink(dir + "/loop-a", store.filePath());
    const quillet::Status looped = store.setBool("playSound", false);
    ASSERT_FALSE(looped);
    EXPECT_EQ(looped.error().logText(),
              "cannot follow the link " + store.filePath() + ": Too many levels of symbolic links");
    EXPECT_EQ(namesIn(dir), (std::vector<std::string>{name, "loop-a", "loop-b"}));
}

// A store linked to a named pipe or a device: every reader would block on
// the pipe (the module inside the file manager too), and a write would put a
// file in the device's place. Each look runs in a child that a watchdog
// ends, so that a reader that blocks fails the test instead of hanging it.
TEST_F(SettingsStoreTest, ALinkToSomethingThatIsNotAFileIsRefusedWithoutBlocking) {
    const std::string dir = xdg.configHome() + "/quillet";
    fs::create_directories(dir);
    const std::string pipe = xdg.root() + "/pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string device = xdg.root() + "/null";
    const bool haveDevice = ::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;
    const struct {
        const char* what;
        std::string target;
        mode_t type;
        const char* reason;
    } rows[] = {
        {"named pipe", pipe, S_IFIFO, "not a regular file but a named pipe (FIFO)"},
        {"device", device, S_IFCHR, "not a regular file but a device"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.type == S_IFCHR && !haveDevice) {
            continue; // making a device node needs privileges
        }
        fs::remove(store.filePath());
        fs::create_symlink(row.target, store.filePath());
        const pid_t child = ::fork();
        if (child == 0) {
            ::alarm(5);
            SettingsStore linked(quillet::ids::kSuiteName);
            const quillet::Status read = linked.readStatus();
            const quillet::Status written = linked.setBool("playSound", true);
            const bool refused = !read && read.error().reason() == row.reason && !written &&
                                 written.error().reason() == row.reason &&
                                 linked.storedValues().empty();
            ::_exit(refused ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status)) << "blocked (signal " << WTERMSIG(status) << ")";
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
        struct stat st {};
        ASSERT_EQ(::lstat(row.target.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & S_IFMT, row.type) << "the target is still what it was";
        EXPECT_TRUE(fs::is_symlink(store.filePath()));
    }
}

// The main app keeps the copy of an unreadable store at once, to name it;
// the next write and a later start find that copy rather than make another,
// and starting afresh removes only the very file that was kept.
TEST_F(SettingsStoreTest, AnUnreadableFileIsKeptAsideOnceAndDiscardedOnlyWhenUnchanged) {
    const std::string garbage = "{\"fileTemplates\": [ oops";
    writeFile(store.filePath(), garbage);
    ::testing::internal::CaptureStderr();
    const quillet::Expected<std::string> aside = store.keepUnreadableAside();
    ASSERT_TRUE(aside) << aside.error().logText();
    EXPECT_EQ(fileText(*aside), garbage);
    EXPECT_EQ(fileText(store.filePath()), garbage) << "every program keeps refusing it";
    const quillet::Expected<std::string> again = store.keepUnreadableAside();
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, *aside);

    const std::string elsewhere = xdg.root() + "/mended.json";
    writeFile(elsewhere, "{}");
    fs::rename(elsewhere, store.filePath());
    EXPECT_TRUE(store.discardUnreadable(*aside));
    EXPECT_EQ(fileText(store.filePath()), "{}") << "a mended file stays";
    EXPECT_FALSE(store.keepUnreadableAside()) << "nothing to keep aside in a readable file";

    fs::remove(*aside);
    writeFile(store.filePath(), garbage);
    const quillet::Expected<std::string> kept = store.keepUnreadableAside();
    ASSERT_TRUE(kept);
    ASSERT_TRUE(store.setBool("playSound", true));
    (void)::testing::internal::GetCapturedStderr();
    std::size_t copies = 0;
    for (const auto& name : namesIn(xdg.configHome() + "/quillet")) {
        copies += name.find(".json.corrupt-") != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(copies, 1u) << "the write reused the copy";
    EXPECT_EQ(fileText(*kept), garbage);
}

TEST_F(SettingsStoreTest, GenerationMovesWithTheValuesOnly) {
    SettingsStore other(quillet::ids::kSuiteName);
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"own write", [&] { ASSERT_TRUE(store.setBool("a", true)); }},
        {"another handle's write", [&] { ASSERT_TRUE(other.setBool("b", true)); }},
        {"defaults",
         [&] {
             store.registerDefaults({{"c", 1}});
         }},
        {"file removed", [&] { fs::remove(store.filePath()); }},
    };
    std::uint64_t seen = store.generation();
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        EXPECT_EQ(store.generation(), seen) << "nothing changed";
        change();
        EXPECT_NE(store.generation(), seen);
        seen = store.generation();
    }
}

// The store skips looking at its file while the file's watch saw nothing
// happen to it. Whatever another process does, and however the store is
// linked, its change shows at the very next read.
TEST_F(SettingsStoreTest, AnotherProcesssChangeShowsAtTheVeryNextRead) {
    const std::string dir = xdg.configHome() + "/quillet";
    const std::string file = store.filePath();
    const std::string name = fs::path(file).filename().string();
    const std::string repo = xdg.root() + "/dotfiles";
    // The same size for every value: a size check alone would not tell.
    auto text = [](int n) { return "{\"n\": " + std::to_string(n) + "}"; };
    auto rewriteInPlace = [](const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
    };
    auto replaceByRename = [&](const std::string& path, const std::string& content) {
        writeFile(path + ".new", content);
        fs::rename(path + ".new", path);
    };
    struct Case {
        const char* what;
        std::function<void()> setUp;     // here, before the first read
        std::function<void(int)> storeN; // in another process
    };
    const Case cases[] = {
        {"another store's write", [&] { writeFile(file, text(0)); },
         [](int n) {
             SettingsStore other(quillet::ids::kSuiteName);
             (void)other.integerForKey("n");
             (void)other.setInteger("n", n);
         }},
        {"rewritten in place", [&] { writeFile(file, text(0)); },
         [&](int n) { rewriteInPlace(file, text(n)); }},
        {"replaced by a rename", [&] { writeFile(file, text(0)); },
         [&](int n) { replaceByRename(file, text(n)); }},
        {"rewritten, then a forked child reads the store", [&] { writeFile(file, text(0)); },
         [&](int n) {
             rewriteInPlace(file, text(n));
             // A child sharing the parent's watch would take its events.
             (void)store.integerForKey("n");
             (void)SettingsStore(quillet::ids::kSuiteName).integerForKey("n");
         }},
        {"made in a folder made meanwhile", [&] { fs::remove_all(dir); },
         [&](int n) { writeFile(file, text(n)); }},
        {"its folder replaced", [&] { writeFile(file, text(0)); },
         [&](int n) {
             fs::remove_all(dir + ".old");
             fs::rename(dir, dir + ".old");
             writeFile(file, text(n));
         }},
        {"a hard link rewritten in place",
         [&] {
             writeFile(file, text(0));
             fs::create_hard_link(file, repo + "/hard.json");
         },
         [&](int n) { rewriteInPlace(repo + "/hard.json", text(n)); }},
        {"a linked store's file rewritten in place",
         [&] {
             writeFile(repo + "/a.json", text(0));
             fs::create_symlink(repo + "/a.json", file);
         },
         [&](int n) { rewriteInPlace(repo + "/a.json", text(n)); }},
        {"a linked store's file replaced by a rename",
         [&] {
             writeFile(repo + "/a.json", text(0));
             fs::create_symlink(repo + "/a.json", file);
         },
         [&](int n) { replaceByRename(repo + "/a.json", text(n)); }},
        {"a linked store pointed elsewhere",
         [&] {
             writeFile(repo + "/a.json", text(0));
             fs::create_symlink(repo + "/a.json", file);
         },
         [&](int n) {
             const std::string other = repo + "/b" + std::to_string(n) + ".json";
             writeFile(other, text(n));
             fs::create_symlink(other, file + ".new");
             fs::rename(file + ".new", file);
         }},
        {"a store in a linked folder replaced by a rename",
         [&] {
             fs::remove_all(dir);
             writeFile(repo + "/conf/" + name, text(0));
             fs::create_directory_symlink(repo + "/conf", dir);
         },
         [&](int n) { replaceByRename(repo + "/conf/" + name, text(n)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir);
        fs::remove_all(dir + ".old");
        fs::remove_all(repo);
        fs::create_directories(dir);
        fs::create_directories(repo);
        c.setUp();
        EXPECT_EQ(store.integerForKey("n"), 0);
        EXPECT_EQ(store.integerForKey("n"), 0) << "unchanged";
        for (int n : {7, 3}) {
            const pid_t child = ::fork();
            if (child == 0) {
                c.storeN(n);
                ::_exit(0);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            EXPECT_EQ(store.integerForKey("n"), n);
            EXPECT_TRUE(store.readStatus());
        }
    }
}
