// AppUtil on real files in a temporary folder.
#include "shared/app_util.h"

#include "support/file_text.h"
#include "support/temp_files_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using quillet::AppUtil;
namespace fs = std::filesystem;

namespace {

using AppUtilTest = quillet::test::TempFilesTest;

} // namespace

TEST_F(AppUtilTest, UniqueNameRule) {
    struct Case {
        std::vector<std::string> taken;
        std::string wanted;
        std::string expected;
    };
    const Case cases[] = {
        {{}, "Untitled.txt", "Untitled.txt"},
        {{"Untitled.txt", "Untitled-1.txt"}, "Untitled.txt", "Untitled-2.txt"},
        {{"Makefile"}, "Makefile", "Makefile-1"},
        {{"Note-1.txt"}, "Note-1.txt", "Note-1-1.txt"},             // numbers are not parsed
        {{"archive.tar.gz"}, "archive.tar.gz", "archive.tar-1.gz"}, // only the last extension
        {{"Untitled.txt", "Untitled-2.txt"}, "Untitled.txt", "Untitled-1.txt"},
        {{".bashrc"}, ".bashrc", ".bashrc-1"}, // a leading dot is no extension
        {{"Folder"}, "Folder", "Folder-1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wanted);
        for (const auto& name : c.taken) {
            touch(name);
        }
        EXPECT_EQ(AppUtil::genNewPathForPath(path(c.wanted)), path(c.expected));
        for (const auto& name : c.taken) {
            fs::remove(path(name));
        }
    }
}

TEST_F(AppUtilTest, UniqueNameCountsFoldersAndDanglingLinks) {
    fs::create_directory(path("Untitled Folder"));
    EXPECT_EQ(AppUtil::genNewPathForPath(path("Untitled Folder")), path("Untitled Folder-1"));
    fs::create_symlink(path("nowhere"), path("link.txt"));
    EXPECT_EQ(AppUtil::genNewPathForPath(path("link.txt")), path("link-1.txt"))
        << "a dangling symbolic link still takes the name";
}

TEST_F(AppUtilTest, UniqueNameSearchesPastManyTakenNames) {
    touch("Untitled.txt");
    for (int n = 1; n <= 300; ++n) {
        touch("Untitled-" + std::to_string(n) + ".txt");
    }
    EXPECT_EQ(AppUtil::genNewPathForPath(path("Untitled.txt")), path("Untitled-301.txt"));
}

TEST_F(AppUtilTest, CopyOfAMissingSourceRemovesTheDestination) {
    touch("dest.txt", "old");
    std::error_code ec;
    EXPECT_TRUE(AppUtil::copyItemAtPath(path("missing.txt"), path("dest.txt"), &ec));
    EXPECT_FALSE(fs::exists(path("dest.txt")));
    EXPECT_FALSE(ec);
}

TEST_F(AppUtilTest, CopyToItselfIsRefusedAndLosesNothing) {
    touch("same.txt", "keep me");
    EXPECT_FALSE(AppUtil::copyItemAtPath(path("same.txt"), dir + "/./sub/../same.txt", nullptr));
    EXPECT_EQ(quillet::test::fileText(path("same.txt")), "keep me");
}

TEST_F(AppUtilTest, CopyOfAFileReplacesTheDestinationAndKeepsPermissions) {
    touch("src.sh", std::string("bin\0ary", 7), 0750);
    touch("dst.sh", "older and longer content", 0600);
    EXPECT_TRUE(AppUtil::copyItemAtPath(path("src.sh"), path("dst.sh"), nullptr));
    EXPECT_EQ(quillet::test::fileText(path("dst.sh")), std::string("bin\0ary", 7));
    EXPECT_EQ(quillet::test::fileMode(path("dst.sh")), 0750u);
}

TEST_F(AppUtilTest, CopyOfAFolderIsDeepAndKeepsInnerPermissions) {
    touch("tree/a.txt", "A", 0600);
    touch("tree/sub/b.sh", "B", 0755);
    fs::create_directories(path("tree/empty"));
    ::chmod(path("tree/sub").c_str(), 0750);
    ::chmod(path("tree").c_str(), 0700);
    touch("copy", "a file in the way");
    EXPECT_TRUE(AppUtil::copyItemAtPath(path("tree"), path("copy"), nullptr));
    EXPECT_EQ(quillet::test::fileText(path("copy/a.txt")), "A");
    EXPECT_EQ(quillet::test::fileText(path("copy/sub/b.sh")), "B");
    EXPECT_EQ(quillet::test::fileMode(path("copy/a.txt")), 0600u);
    EXPECT_EQ(quillet::test::fileMode(path("copy/sub/b.sh")), 0755u);
    EXPECT_EQ(quillet::test::fileMode(path("copy/sub")), 0750u);
    EXPECT_TRUE(fs::is_directory(path("copy/empty")));
    for (const auto& entry : fs::recursive_directory_iterator(path("copy"))) {
        EXPECT_EQ(entry.path().filename().string().rfind(".", 0), std::string::npos)
            << "no temporary file left: " << entry.path();
    }
}

TEST_F(AppUtilTest, CopyFilePermissions) {
    touch("a", "", 0604);
    touch("b", "", 0600);
    EXPECT_TRUE(AppUtil::copyFilePermissionsAtPath(path("a"), path("b")));
    EXPECT_EQ(quillet::test::fileMode(path("b")), 0604u);
    EXPECT_FALSE(AppUtil::copyFilePermissionsAtPath(path("missing"), path("b")));
}

TEST_F(AppUtilTest, IsDirFollowsLinks) {
    touch("f");
    fs::create_directory(path("d"));
    fs::create_directory_symlink(path("d"), path("link"));
    EXPECT_TRUE(AppUtil::isDir(path("d")));
    EXPECT_TRUE(AppUtil::isDir(path("link")));
    EXPECT_FALSE(AppUtil::isDir(path("f")));
    EXPECT_FALSE(AppUtil::isDir(path("missing")));
}
