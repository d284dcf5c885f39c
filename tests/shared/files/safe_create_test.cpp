// The safe creation on real files: the copy, the three rules for a taken
// name, the journal that cleans up after a crash.
#include "shared/files/safe_create.h"

#include "support/file_text.h"
#include "support/temp_xdg.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quillet {
namespace {

using quillet::test::fileText;
using quillet::test::namesIn;

namespace fs = std::filesystem;

void writeFile(const std::string& path, const std::string& content, mode_t mode = 0644) {
    std::ofstream(path, std::ios::binary) << content;
    ::chmod(path.c_str(), mode);
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

class SafeCreateTest : public ::testing::Test {
protected:
    test::TempXdg xdg;
    std::string source = xdg.makeDir("templates") + "/Text.txt";
    std::string target = xdg.makeDir("target");
    CreationJournal journal{xdg.root() + "/journal"};

    void SetUp() override { writeFile(source, "template content\n", 0640); }
};

TEST_F(SafeCreateTest, CopiesAFileUnderTheFirstFreeNameAndNeverReplaces) {
    writeFile(target + "/Untitled.txt", "mine");
    writeFile(target + "/Untitled-1.txt", "mine too");
    auto result = copyItem(source, target + "/Untitled.txt", WhenTaken::UseFreeName, &journal);
    ASSERT_TRUE(result.ok()) << result.error().userText();
    EXPECT_EQ(*result, target + "/Untitled-2.txt");
    EXPECT_EQ(fileText(*result), "template content\n");
    EXPECT_EQ(modeOf(*result), 0640u);
    EXPECT_EQ(fileText(target + "/Untitled.txt"), "mine");
    EXPECT_EQ(fileText(target + "/Untitled-1.txt"), "mine too");
    // No temporary item and no journal entry stays behind.
    EXPECT_EQ(namesIn(target),
              (std::vector<std::string>{"Untitled-1.txt", "Untitled-2.txt", "Untitled.txt"}));
    EXPECT_TRUE(namesIn(journal.dir()).empty());
}

TEST_F(SafeCreateTest, ADanglingLinkStillOccupiesItsName) {
    ASSERT_EQ(::symlink("/nonexistent/elsewhere", (target + "/Untitled.txt").c_str()), 0);
    auto result = copyItem(source, target + "/Untitled.txt", WhenTaken::UseFreeName, nullptr);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(*result, target + "/Untitled-1.txt");
    EXPECT_TRUE(fs::is_symlink(target + "/Untitled.txt"));
}

TEST_F(SafeCreateTest, ExactNameFailsWhenTakenAndLeavesTheItem) {
    writeFile(target + "/Untitled.txt", "mine");
    auto result = copyItem(source, target + "/Untitled.txt", WhenTaken::Fail, &journal);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.error().code(), std::errc::file_exists);
    EXPECT_EQ(fileText(target + "/Untitled.txt"), "mine");
    EXPECT_EQ(namesIn(target), (std::vector<std::string>{"Untitled.txt"}));
}

TEST_F(SafeCreateTest, CopiesAFolderWithItsContentsLinksAndPermissions) {
    std::string bundle = xdg.makeDir("templates/Project");
    fs::create_directories(bundle + "/src/empty");
    writeFile(bundle + "/src/main.c", "int main(void){return 0;}\n", 0600);
    writeFile(bundle + "/run.sh", "#!/bin/sh\n", 0755);
    ASSERT_EQ(::symlink("src/main.c", (bundle + "/link").c_str()), 0);
    ::chmod(bundle.c_str(), 0555); // a read-only folder template still copies

    auto result = copyItem(bundle, target + "/Project", WhenTaken::UseFreeName, &journal);
    ::chmod(bundle.c_str(), 0755);
    ASSERT_TRUE(result.ok()) << result.error().userText();
    EXPECT_EQ(*result, target + "/Project");
    EXPECT_EQ(fileText(target + "/Project/src/main.c"), "int main(void){return 0;}\n");
    EXPECT_EQ(modeOf(target + "/Project/src/main.c"), 0600u);
    EXPECT_EQ(modeOf(target + "/Project/run.sh"), 0755u);
    EXPECT_TRUE(fs::is_directory(target + "/Project/src/empty"));
    EXPECT_FALSE(fs::is_symlink(target + "/Project/link"));
    EXPECT_EQ(modeOf(target + "/Project/link"), 0600u);
    EXPECT_EQ(modeOf(target + "/Project"), 0555u);
    ::chmod((target + "/Project").c_str(), 0755);

    auto second = copyItem(bundle, target + "/Project", WhenTaken::UseFreeName, &journal);
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(*second, target + "/Project-1");
}

// Users keep templates in a dotfiles repository and link them: the new item
// is a copy of what the link leads to, never a link back into the template.
TEST_F(SafeCreateTest, LinksLeadingIntoTheTemplateAreCopiedAndLinksLeadingOutStayLinks) {
    const std::string dotfiles = xdg.makeDir("dotfiles");
    const std::string outside = xdg.makeDir("shared") + "/logo.png";
    writeFile(outside, "logo");
    writeFile(dotfiles + "/Text.txt", "dotfile text\n", 0640);
    const std::string project = dotfiles + "/Project";
    fs::create_directories(project + "/sub");
    writeFile(project + "/top.txt", "top");
    writeFile(project + "/sub/deep.txt", "deep");
    const std::pair<std::string, std::string> links[] = {
        {"in-absolute", project + "/top.txt"},
        {"in-relative", "top.txt"},
        {"in-folder", "sub"},
        {"sub/up", ".."},
        {"out-absolute", outside},
        {"out-relative", "../../shared/logo.png"},
        {"dangling", "nowhere"},
    };
    for (const auto& [name, text] : links) {
        ASSERT_EQ(::symlink(text.c_str(), (project + "/" + name).c_str()), 0) << name;
    }
    const std::string templates = xdg.root() + "/templates";
    fs::create_symlink(dotfiles + "/Text.txt", templates + "/Linked.txt");
    fs::create_symlink(project, templates + "/Linked Project");

    auto file = copyItem(templates + "/Linked.txt", target + "/New.txt", WhenTaken::Fail);
    ASSERT_TRUE(file.ok()) << file.error().userText();
    EXPECT_FALSE(fs::is_symlink(*file));
    EXPECT_EQ(fileText(*file), "dotfile text\n");
    EXPECT_EQ(modeOf(*file), 0640u);

    auto folder = copyItem(templates + "/Linked Project", target + "/New", WhenTaken::Fail);
    ASSERT_TRUE(folder.ok()) << folder.error().userText();
    const std::string copy = *folder;
    EXPECT_FALSE(fs::is_symlink(copy));
    struct Row {
        const char* name;
        const char* content; // a file with this content; nullptr: a link
        std::string linkText;
    };
    const Row rows[] = {
        {"top.txt", "top", {}},
        {"in-absolute", "top", {}},
        {"in-relative", "top", {}},
        {"in-folder/deep.txt", "deep", {}},
        // A link up the tree cannot be copied without end: it leads into the copy.
        {"sub/up", nullptr, ".."},
        {"in-folder/up", nullptr, ".."},
        {"out-absolute", nullptr, outside},
        // Relative text would lead elsewhere from the copy's place.
        {"out-relative", nullptr, fs::canonical(outside).string()},
        {"dangling", nullptr, "nowhere"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = copy + "/" + row.name;
        if (row.content != nullptr) {
            EXPECT_FALSE(fs::is_symlink(path));
            EXPECT_EQ(fileText(path), row.content);
        } else {
            ASSERT_TRUE(fs::is_symlink(path));
            EXPECT_EQ(fs::read_symlink(path).string(), row.linkText);
        }
    }
    EXPECT_FALSE(fs::is_symlink(copy + "/in-folder"));
    EXPECT_EQ(fs::canonical(copy + "/in-folder/up"), fs::canonical(copy));
    // Nothing in the copy leads back into the template.
    for (const auto& entry : fs::recursive_directory_iterator(copy)) {
        std::error_code ec;
        const fs::path real = fs::canonical(entry.path(), ec);
        EXPECT_TRUE(ec || !real.string().starts_with(fs::canonical(dotfiles).string()))
            << entry.path();
    }
}

// A template that is a named pipe, a device or a socket, itself or behind a
// link, is refused with its type named: a pipe would block the copy for
// ever, /dev/zero never ends, and a link to either is no template.
TEST_F(SafeCreateTest, ATemplateThatIsNeitherAFileNorAFolderIsRefused) {
    const std::string templates = xdg.root() + "/templates";
    ASSERT_EQ(::mkfifo((templates + "/pipe").c_str(), 0644), 0);
    fs::create_symlink(templates + "/pipe", templates + "/pipe-link");
    fs::create_symlink("/dev/zero", templates + "/zero-link");
    const std::string withPipe = xdg.makeDir("templates/With Pipe");
    ASSERT_EQ(::mkfifo((withPipe + "/pipe").c_str(), 0644), 0);
    const struct {
        const char* name;
        const char* type;
    } rows[] = {
        {"pipe", "a named pipe (FIFO)"},
        {"pipe-link", "a named pipe (FIFO)"},
        {"zero-link", "a device"},
        {"With Pipe", "a named pipe (FIFO)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto result =
            copyItem(templates + "/" + row.name, target + "/New", WhenTaken::UseFreeName, &journal);
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.error().reason(),
                  std::string("not a regular file or folder but ") + row.type);
        EXPECT_TRUE(namesIn(target).empty());
        EXPECT_TRUE(namesIn(journal.dir()).empty());
    }
}

TEST_F(SafeCreateTest, ASparseTemplateStaysSparseAndKeepsItsBytes) {
    struct Row {
        const char* name;
        off_t size;
        std::vector<off_t> data; // 4 KiB written at each offset
    };
    const Row rows[] = {
        {"holes between data", 64 << 20, {0, 32 << 20, (64 << 20) - 4096}},
        {"a trailing hole", 64 << 20, {0}},
        {"a leading hole", 64 << 20, {(64 << 20) - 4096}},
        {"all hole", 64 << 20, {}},
        {"no hole", 3 * 4096, {0, 4096, 8192}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string sparse = xdg.root() + "/sparse.img";
        fs::remove(sparse);
        int fd = ::open(sparse.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, row.size), 0);
        const std::string block(4096, 'q');
        for (off_t offset : row.data) {
            ASSERT_EQ(::pwrite(fd, block.data(), block.size(), offset), 4096);
        }
        ::close(fd);
        struct stat original {};
        ::stat(sparse.c_str(), &original);
        if (row.data.size() < 3 && original.st_blocks * 512 >= row.size) {
            GTEST_SKIP() << "this file system keeps no holes";
        }

        auto result = copyItem(sparse, target + "/copy.img", WhenTaken::UseFreeName, &journal);
        ASSERT_TRUE(result.ok()) << result.error().userText();
        struct stat copy {};
        ::stat(result->c_str(), &copy);
        EXPECT_EQ(copy.st_size, row.size);
        // No more blocks than the original's data (a little slack for metadata).
        EXPECT_LE(copy.st_blocks, original.st_blocks + 16);
        EXPECT_EQ(fileText(*result), fileText(sparse));
        fs::remove(*result);
    }
}

TEST_F(SafeCreateTest, FailuresSayWhyAndLeaveNothing) {
    auto missing = copyItem(xdg.root() + "/no-such-template.txt", target + "/Untitled.txt",
                            WhenTaken::UseFreeName, &journal);
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code(), std::errc::no_such_file_or_directory);
    EXPECT_NE(missing.error().userText().find("No such file or directory"), std::string::npos);

    auto noFolder =
        copyItem(source, target + "/absent/Untitled.txt", WhenTaken::UseFreeName, &journal);
    EXPECT_FALSE(noFolder.ok());
    EXPECT_NE(noFolder.error().userText().find(target + "/absent"), std::string::npos);

    writeFile(target + "/plain", "not a folder");
    auto notDir =
        copyItem(source, target + "/plain/Untitled.txt", WhenTaken::UseFreeName, &journal);
    EXPECT_EQ(notDir.error().code(), std::errc::not_a_directory);

    EXPECT_EQ(namesIn(target), (std::vector<std::string>{"plain"}));
    EXPECT_TRUE(namesIn(journal.dir()).empty());
}

TEST_F(SafeCreateTest, AnUnwritableFolderIsReportedWithTheSystemsReason) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    std::string locked = xdg.makeDir("locked");
    ::chmod(locked.c_str(), 0555);
    auto result = copyItem(source, locked + "/Untitled.txt", WhenTaken::UseFreeName, &journal);
    EXPECT_EQ(result.error().code(), std::errc::permission_denied);
    EXPECT_NE(result.error().userText().find("Permission denied"), std::string::npos);
}

// Threads of one process and separate processes race for the same names:
// every copy lands under its own name and none replaces another.
TEST_F(SafeCreateTest, ConcurrentCreationsNeverShareOrReplaceANameAcrossThreadsAndProcesses) {
    constexpr int kThreads = 8;
    constexpr int kPerThread = 10;
    constexpr int kProcesses = 4;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        pid_t pid = ::fork();
        if (pid == 0) {
            for (int i = 0; i < kPerThread; ++i) {
                auto r =
                    copyItem(source, target + "/Untitled.txt", WhenTaken::UseFreeName, nullptr);
                if (!r.ok()) {
                    ::_exit(1);
                }
            }
            ::_exit(0);
        }
        children.push_back(pid);
    }
    std::vector<std::thread> threads;
    std::vector<std::vector<std::string>> made(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                auto r =
                    copyItem(source, target + "/Untitled.txt", WhenTaken::UseFreeName, &journal);
                if (r.ok()) {
                    made[t].push_back(*r);
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::set<std::string> distinct;
    for (const auto& list : made) {
        EXPECT_EQ(list.size(), static_cast<std::size_t>(kPerThread));
        distinct.insert(list.begin(), list.end());
    }
    EXPECT_EQ(distinct.size(), static_cast<std::size_t>(kThreads * kPerThread));
    auto names = namesIn(target);
    EXPECT_EQ(names.size(), static_cast<std::size_t>((kThreads + kProcesses) * kPerThread));
    for (const auto& name : names) {
        EXPECT_EQ(name.rfind(kTempPrefix, 0), std::string::npos) << name;
        EXPECT_EQ(fileText(target + "/" + name), "template content\n") << name;
    }
}

TEST_F(SafeCreateTest, CleaningRemovesOnlyOurLeftoversOfEndedProcesses) {
    fs::create_directories(journal.dir());
    // A helper that died mid-copy: pid 1 is never ours, but use a pid that
    // has surely ended.
    pid_t dead = ::fork();
    if (dead == 0) {
        ::_exit(0);
    }
    ::waitpid(dead, nullptr, 0);
    std::string leftover = target + "/" + kTempPrefix + "123-0-abc";
    writeFile(leftover, "partial");
    std::string leftoverDir = target + "/" + kTempPrefix + "123-1-def";
    fs::create_directories(leftoverDir + "/inner");
    std::string userFile = target + "/keep-me.txt";
    writeFile(userFile, "user data");
    std::string alive = target + "/" + kTempPrefix + "alive";
    writeFile(alive, "being written");

    auto entry = [&](const std::string& name, const std::string& content) {
        writeFile(journal.dir() + "/" + name, content, 0600);
    };
    entry(std::to_string(dead) + "-0.entry", leftover);
    entry(std::to_string(dead) + "-1.entry", leftoverDir);
    entry(std::to_string(dead) + "-2.entry", userFile); // not one of ours
    entry(std::to_string(dead) + "-3.entry", "relative/" + std::string(kTempPrefix) + "x");
    entry(std::to_string(::getppid()) + "-0.entry", alive); // its process runs

    EXPECT_EQ(journal.cleanLeftovers(), 2u);
    EXPECT_FALSE(fs::exists(leftover));
    EXPECT_FALSE(fs::exists(leftoverDir));
    EXPECT_EQ(fileText(userFile), "user data");
    EXPECT_TRUE(fs::exists(alive));
    EXPECT_EQ(namesIn(journal.dir()),
              (std::vector<std::string>{std::to_string(::getppid()) + "-0.entry"}));
}

} // namespace
} // namespace quillet
