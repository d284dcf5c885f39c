// The safe creation when the name is taken: never replacing (WhenTaken::Fail)
// and replacing (WhenTaken::Replace), without losing the old item on the way.
#include "shared/files/safe_create.h"

#include "support/file_text.h"
#include "support/temp_xdg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace quillet {
namespace {

namespace fs = std::filesystem;
using test::fileMode;
using test::listing;

void writeFile(const std::string& path, const std::string& content) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::string readFile(const std::string& path) {
    return test::fileText(path);
}

Expected<std::string> createItemWithoutReplacing(const std::string& source,
                                                 const std::string& target,
                                                 CreationJournal* journal,
                                                 const CopyStep& copy = copyNewItem) {
    return copyItem(source, target, WhenTaken::Fail, journal, copy);
}

Expected<std::string> replaceItem(const std::string& source, const std::string& target,
                                  CreationJournal* journal, const CopyStep& copy = copyNewItem) {
    return copyItem(source, target, WhenTaken::Replace, journal, copy);
}

// The old item could not be taken away (it is still at its name), as
// opposed to the new one not being made.
bool failedRemoving(const Expected<std::string>& result) {
    return !result && result.error().action() == kRemoveExistingAction;
}

class ReplaceItemTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(fileTemplate, "template text");
        ::chmod(fileTemplate.c_str(), 0755);
        writeFile(folderTemplate + "/inside/deep.txt", "deep");
        writeFile(folderTemplate + "/top.txt", "top");
        ASSERT_EQ(::symlink("top.txt", (folderTemplate + "/link").c_str()), 0);
    }

    // Nothing but the wanted names: no temporary item left behind, and no
    // journal entry either.
    void expectOnly(const std::string& names) {
        EXPECT_EQ(listing(dir), names);
        EXPECT_EQ(listing(journal.dir()), "");
    }

    test::TempXdg xdg;
    std::string templates = xdg.makeDir("Templates");
    std::string fileTemplate = templates + "/text.txt";
    std::string folderTemplate = templates + "/Folder";
    std::string dir = xdg.makeDir("Documents");
    CreationJournal journal{xdg.makeDir("journal")};
};

TEST_F(ReplaceItemTest, CreatesCopiesWithTheirPermissionsAndFoldersDeep) {
    ASSERT_TRUE(createItemWithoutReplacing(fileTemplate, dir + "/new.txt", &journal).ok());
    struct stat st {};
    ASSERT_EQ(::stat((dir + "/new.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);

    ASSERT_TRUE(createItemWithoutReplacing(folderTemplate, dir + "/Stuff", &journal).ok());
    EXPECT_EQ(readFile(dir + "/Stuff/inside/deep.txt"), "deep");
    // A link within the template leads back into it: its target is copied.
    EXPECT_FALSE(fs::is_symlink(dir + "/Stuff/link"));
    EXPECT_EQ(readFile(dir + "/Stuff/link"), "top");
    expectOnly("Stuff;new.txt;");
}

TEST_F(ReplaceItemTest, CreatingNeverOverwritesANameTakenMeanwhile) {
    writeFile(dir + "/taken.txt", "someone else's");
    const Expected<std::string> result =
        createItemWithoutReplacing(fileTemplate, dir + "/taken.txt", &journal);
    EXPECT_FALSE(failedRemoving(result));
    EXPECT_EQ(result.error().code(), std::errc::file_exists);
    EXPECT_EQ(readFile(dir + "/taken.txt"), "someone else's");
    expectOnly("taken.txt;");
}

TEST_F(ReplaceItemTest, AMissingTemplateCreatesNothing) {
    const Expected<std::string> result =
        createItemWithoutReplacing(templates + "/gone.txt", dir + "/x.txt", &journal);
    EXPECT_FALSE(failedRemoving(result));
    EXPECT_EQ(result.error().code(), std::errc::no_such_file_or_directory);
    EXPECT_FALSE(result.error().userText().empty());
    expectOnly("");
}

TEST_F(ReplaceItemTest, ReplacesFilesAndFoldersByEachOther) {
    struct Case {
        const char* name;
        bool oldIsFolder;
        bool newIsFolder;
    };
    for (const Case& c :
         {Case{"file over file", false, false}, Case{"folder over folder", true, true},
          Case{"file over folder", true, false}, Case{"folder over file", false, true}}) {
        SCOPED_TRACE(c.name);
        const std::string target = dir + "/item";
        std::error_code ec;
        fs::remove_all(target, ec);
        if (c.oldIsFolder) {
            writeFile(target + "/old-only.txt", "old");
        } else {
            writeFile(target, "old");
        }
        const Expected<std::string> result =
            replaceItem(c.newIsFolder ? folderTemplate : fileTemplate, target, &journal);
        ASSERT_TRUE(result.ok()) << result.error().logText();
        EXPECT_EQ(fs::is_directory(target), c.newIsFolder);
        EXPECT_FALSE(fs::exists(target + "/old-only.txt"));
        if (c.newIsFolder) {
            EXPECT_EQ(readFile(target + "/inside/deep.txt"), "deep");
        } else {
            EXPECT_EQ(readFile(target), "template text");
            EXPECT_EQ(fileMode(target), 0755u) << "the template's permissions, not the old item's";
        }
        expectOnly("item;");
    }
}

TEST_F(ReplaceItemTest, AFailedCopyLeavesTheOldItemIntact) {
    writeFile(dir + "/keep.txt", "precious");
    writeFile(dir + "/Keep/data.txt", "precious too");
    const CopyStep failingCopy = [](const std::string& source, const std::string& destination) {
        // Fails half way, leaving a partial copy behind as a real copy would.
        writeFile(destination, source.substr(0, 3));
        return Status(
            Error(kCopyAction, destination, std::make_error_code(std::errc::no_space_on_device)));
    };
    struct Case {
        const char* name;
        std::string source;
        CopyStep copy;
        std::errc reason;
    };
    const Case cases[] = {
        {"keep.txt", fileTemplate, failingCopy, std::errc::no_space_on_device},
        {"Keep", fileTemplate, failingCopy, std::errc::no_space_on_device},
        {"keep.txt", templates + "/gone.txt", copyNewItem, std::errc::no_such_file_or_directory},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + (" from " + c.source));
        const Expected<std::string> result =
            replaceItem(c.source, dir + "/" + c.name, &journal, c.copy);
        EXPECT_FALSE(failedRemoving(result));
        EXPECT_EQ(result.error().code(), c.reason);
    }
    EXPECT_EQ(readFile(dir + "/keep.txt"), "precious");
    EXPECT_EQ(readFile(dir + "/Keep/data.txt"), "precious too");
    expectOnly("Keep;keep.txt;");
}

TEST_F(ReplaceItemTest, ReplacesALinkItselfAndNotWhatItPointsTo) {
    writeFile(xdg.root() + "/elsewhere.txt", "pointed at");
    ASSERT_EQ(::symlink((xdg.root() + "/elsewhere.txt").c_str(), (dir + "/link.txt").c_str()), 0);
    ASSERT_TRUE(replaceItem(fileTemplate, dir + "/link.txt", &journal).ok());
    EXPECT_FALSE(fs::is_symlink(dir + "/link.txt"));
    EXPECT_EQ(readFile(dir + "/link.txt"), "template text");
    EXPECT_EQ(readFile(xdg.root() + "/elsewhere.txt"), "pointed at");
}

TEST_F(ReplaceItemTest, ReplacingANameThatVanishedCreatesIt) {
    ASSERT_TRUE(replaceItem(fileTemplate, dir + "/vanished.txt", &journal).ok());
    EXPECT_EQ(readFile(dir + "/vanished.txt"), "template text");
}

TEST_F(ReplaceItemTest, ReplacingTheTemplateByItselfKeepsIt) {
    // Removing first and copying second would have lost the template here.
    ASSERT_TRUE(replaceItem(fileTemplate, fileTemplate, &journal).ok());
    EXPECT_EQ(readFile(fileTemplate), "template text");
}

TEST_F(ReplaceItemTest, RefusesToCopyAFolderIntoItself) {
    const Expected<std::string> result =
        createItemWithoutReplacing(folderTemplate, folderTemplate + "/inside/Copy", &journal);
    EXPECT_FALSE(failedRemoving(result));
    EXPECT_EQ(result.error().reason(), "A folder cannot be copied into itself.");
    EXPECT_EQ(listing(folderTemplate + "/inside"), "deep.txt;");
}

TEST_F(ReplaceItemTest, AFolderThatCannotBeChangedKeepsTheOldItem) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    writeFile(dir + "/locked/old.txt", "old");
    ::chmod((dir + "/locked").c_str(), 0555);
    const Expected<std::string> result =
        replaceItem(fileTemplate, dir + "/locked/old.txt", &journal);
    ::chmod((dir + "/locked").c_str(), 0755);
    EXPECT_TRUE(failedRemoving(result));
    EXPECT_EQ(result.error().code(), std::errc::permission_denied);
    EXPECT_EQ(readFile(dir + "/locked/old.txt"), "old");
}

TEST_F(ReplaceItemTest, ACopyInProgressIsInTheJournal) {
    writeFile(dir + "/old.txt", "old");
    std::vector<std::string> journalled;
    const CopyStep watchingCopy = [&](const std::string& source, const std::string& destination) {
        EXPECT_EQ(destination.rfind(dir + "/" + kTempPrefix, 0), 0u) << destination;
        for (const auto& entry : fs::directory_iterator(journal.dir())) {
            if (readFile(entry.path().string()) == destination) {
                journalled.push_back(destination);
            }
        }
        return copyNewItem(source, destination);
    };
    ASSERT_TRUE(replaceItem(fileTemplate, dir + "/old.txt", &journal, watchingCopy).ok());
    ASSERT_TRUE(
        createItemWithoutReplacing(fileTemplate, dir + "/new.txt", &journal, watchingCopy).ok());
    EXPECT_EQ(journalled.size(), 2u);
    EXPECT_EQ(readFile(dir + "/old.txt"), "template text");
    expectOnly("new.txt;old.txt;");
}

TEST_F(ReplaceItemTest, AReplacementCutShortIsCleanedUpAtTheNextStart) {
    writeFile(dir + "/Keep/data.txt", "precious");
    const pid_t child = ::fork();
    if (child == 0) {
        // The helper ends half way through the copy.
        const CopyStep dyingCopy = [](const std::string&,
                                      const std::string& destination) -> Status {
            writeFile(destination + "/partial.txt", "partial");
            ::_exit(0);
        };
        (void)replaceItem(folderTemplate, dir + "/Keep", &journal, dyingCopy);
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_NE(listing(dir).find(kTempPrefix), std::string::npos) << listing(dir);
    EXPECT_EQ(journal.cleanLeftovers(), 1u);
    EXPECT_EQ(readFile(dir + "/Keep/data.txt"), "precious");
    expectOnly("Keep;");
}

TEST_F(ReplaceItemTest, AReplacementThroughALinkCopiesWhatTheLinkPointsTo) {
    // Installing a script or adding a template copies the item a link names.
    ASSERT_EQ(::symlink(fileTemplate.c_str(), (templates + "/shortcut.txt").c_str()), 0);
    ASSERT_EQ(::symlink(folderTemplate.c_str(), (templates + "/shortcut").c_str()), 0);
    writeFile(dir + "/installed.txt", "older");
    ASSERT_TRUE(replaceItem(templates + "/shortcut.txt", dir + "/installed.txt", nullptr));
    EXPECT_FALSE(fs::is_symlink(dir + "/installed.txt"));
    EXPECT_EQ(readFile(dir + "/installed.txt"), "template text");
    EXPECT_EQ(fileMode(dir + "/installed.txt"), 0755u);

    ASSERT_TRUE(replaceItem(templates + "/shortcut", dir + "/Folder", nullptr));
    EXPECT_FALSE(fs::is_symlink(dir + "/Folder"));
    EXPECT_EQ(readFile(dir + "/Folder/inside/deep.txt"), "deep");
    expectOnly("Folder;installed.txt;");
}

} // namespace
} // namespace quillet
