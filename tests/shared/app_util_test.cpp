// AppUtil on real files in a temporary folder.
#include "shared/app_util.h"

#include "shared/identifiers.h"
#include "support/fake_alerts.h"
#include "support/fake_file_types.h"
#include "support/fake_notification_center.h"
#include "support/file_text.h"
#include "support/temp_xdg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using quillet::AppUtil;
namespace fs = std::filesystem;

namespace {

class AppUtilTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return dir + "/" + name; }
    void touch(const std::string& name, const std::string& content = "x", mode_t mode = 0644) {
        fs::create_directories(fs::path(path(name)).parent_path());
        std::ofstream(path(name), std::ios::binary) << content;
        ::chmod(path(name).c_str(), mode);
    }

    quillet::test::TempXdg xdg;
    std::string dir = xdg.makeDir("files");
};

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

TEST_F(AppUtilTest, ExecuteBitsChangeAndNothingElse) {
    touch("script.sh", "#!/bin/sh\n", 0644);
    EXPECT_TRUE(AppUtil::makeItemExecutableAtPath(path("script.sh")));
    EXPECT_EQ(quillet::test::fileMode(path("script.sh")), 0755u);
    EXPECT_TRUE(AppUtil::removeExecutableFlagAtPath(path("script.sh")));
    EXPECT_EQ(quillet::test::fileMode(path("script.sh")), 0644u);
    touch("odd", "", 0640);
    EXPECT_TRUE(AppUtil::makeItemExecutable(true, path("odd")));
    EXPECT_EQ(quillet::test::fileMode(path("odd")), 0751u);
    ::chmod(path("odd").c_str(), 02751);
    EXPECT_TRUE(AppUtil::makeItemExecutable(false, path("odd")));
    EXPECT_EQ(quillet::test::fileMode(path("odd")), 02640u) << "other bits are kept";
}

TEST_F(AppUtilTest, ExecuteBitsRefuseFoldersAndMissingItems) {
    fs::create_directory(path("folder"));
    ::chmod(path("folder").c_str(), 0700);
    EXPECT_FALSE(AppUtil::makeItemExecutable(false, path("folder")));
    EXPECT_FALSE(AppUtil::makeItemExecutable(true, path("folder")));
    EXPECT_EQ(quillet::test::fileMode(path("folder")), 0700u);
    EXPECT_FALSE(AppUtil::makeItemExecutableAtPath(path("missing")));
}

TEST_F(AppUtilTest, ALinkedItemNeverChangesTheFileItPointsTo) {
    // A template may be a link; the new item is then a link too, and its
    // finishing steps must not reach the user's file behind it.
    touch("elsewhere/target.sh", "#!/bin/sh\n", 0755);
    const auto old = AppUtil::Clock::from_time_t(1000000000);
    AppUtil::updateDateForFile(old, path("elsewhere/target.sh"));
    fs::create_symlink(path("elsewhere/target.sh"), path("link.sh"));

    EXPECT_FALSE(AppUtil::removeExecutableFlagAtPath(path("link.sh")));
    AppUtil::updateDateForFile(AppUtil::Clock::now(), path("link.sh"));

    EXPECT_EQ(quillet::test::fileMode(path("elsewhere/target.sh")), 0755u);
    struct stat st {};
    ASSERT_EQ(::stat(path("elsewhere/target.sh").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    ASSERT_EQ(::lstat(path("link.sh").c_str(), &st), 0);
    EXPECT_GT(st.st_mtim.tv_sec, 1000000000) << "the link itself is dated now";
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

TEST_F(AppUtilTest, DatesOfAFolderAndEverythingBelow) {
    touch("dated/inner/file.txt");
    const auto date = AppUtil::Clock::from_time_t(1000000000) + std::chrono::milliseconds(250);
    AppUtil::updateDateForPath(date, path("dated"));
    for (const char* name : {"dated", "dated/inner", "dated/inner/file.txt"}) {
        SCOPED_TRACE(name);
        struct stat st {};
        ASSERT_EQ(::stat(path(name).c_str(), &st), 0);
        EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
        EXPECT_EQ(st.st_mtim.tv_nsec, 250000000);
        EXPECT_EQ(st.st_atim.tv_sec, 1000000000);
    }
    AppUtil::updateDateForPath(date, path("missing")); // no effect, no failure
    EXPECT_FALSE(fs::exists(path("missing")));
}

TEST_F(AppUtilTest, WritabilityAnswersForTheNearestExistingAncestor) {
    EXPECT_FALSE(AppUtil::isWritableFileAtPath(std::nullopt));
    EXPECT_TRUE(AppUtil::isWritableFileAtPath(dir));
    EXPECT_TRUE(AppUtil::isWritableFileAtPath(dir + "/"));
    EXPECT_TRUE(AppUtil::isWritableFileAtPath(path("not/yet/there.txt")));
    EXPECT_TRUE(AppUtil::isWritableFileAtPath(path("a%20b")));
    if (::geteuid() != 0) {
        fs::create_directory(path("locked"));
        ::chmod(path("locked").c_str(), 0555);
        EXPECT_FALSE(AppUtil::isWritableFileAtPath(path("locked/not/there")));
        ::chmod(path("locked").c_str(), 0755);
    }
    EXPECT_FALSE(AppUtil::isWritableFileAtPath(std::string("/proc/1/not/there")));
}

TEST_F(AppUtilTest, BookmarksResolveOnlyToTheSameFolder) {
    fs::create_directory(path("granted"));
    auto bookmark = AppUtil::bookmarkFromURL(path("granted"));
    ASSERT_TRUE(bookmark);
    EXPECT_EQ(AppUtil::urlFromBookmark(*bookmark), path("granted"));
    auto fromUrl = AppUtil::bookmarkFromURL("file://" + path("granted"));
    ASSERT_TRUE(fromUrl);
    EXPECT_EQ(AppUtil::urlFromBookmark(*fromUrl), path("granted"));

    // Another folder under the same name is not the folder that was granted.
    fs::rename(path("granted"), path("moved"));
    fs::create_directory(path("granted"));
    EXPECT_FALSE(AppUtil::urlFromBookmark(*bookmark));
    fs::remove(path("granted"));
    EXPECT_FALSE(AppUtil::urlFromBookmark(*bookmark));
}

TEST_F(AppUtilTest, BookmarksOfGarbageOrNonFoldersAreNothing) {
    using Data = quillet::Value::Data;
    auto bytes = [](const std::string& s) { return Data(s.begin(), s.end()); };
    EXPECT_FALSE(AppUtil::urlFromBookmark(Data{}));
    EXPECT_FALSE(AppUtil::urlFromBookmark(Data{0xff, 0x00, 0x7b, 0x22}));
    EXPECT_FALSE(AppUtil::urlFromBookmark(bytes("[1,2,3]")));
    EXPECT_FALSE(AppUtil::urlFromBookmark(bytes(R"({"path":"/","dev":"1","ino":2})")));
    EXPECT_FALSE(AppUtil::urlFromBookmark(bytes(R"({"path":"/","dev":-1,"ino":2})")));
    EXPECT_FALSE(AppUtil::urlFromBookmark(bytes(R"({"path":"/"})")));
    touch("file.txt");
    EXPECT_FALSE(AppUtil::bookmarkFromURL(path("file.txt")));
    EXPECT_FALSE(AppUtil::bookmarkFromURL(path("missing")));
    EXPECT_FALSE(AppUtil::bookmarkFromURL("relative/folder"));
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

TEST(AppUtilPorts, RefreshNotificationTypesAndAlerts) {
    quillet::test::FakeNotificationCenter center;
    std::string seen;
    center.addObserver(quillet::ids::kSuiteName,
                       [&](const std::string&, const std::string& object) { seen = object; });
    AppUtil::postRefreshNotification(center, "monitoredPaths");
    ASSERT_EQ(center.posts().size(), 1u);
    EXPECT_EQ(center.posts()[0].name, quillet::ids::kSuiteName);
    EXPECT_EQ(seen, "monitoredPaths");

    quillet::test::FakeFileTypes types;
    types.add("txt", "Plain text document");
    EXPECT_EQ(AppUtil::humanReadableFileTypeForFileExtension(types, "txt"), "Plain text document");
    EXPECT_FALSE(AppUtil::humanReadableFileTypeForFileExtension(types, "zzz"));

    quillet::test::FakeAlerts alerts;
    AppUtil::showAlert(alerts, "Title", std::nullopt);
    AppUtil::showAlert(alerts, std::nullopt, "Message", quillet::AlertStyle::Critical);
    ASSERT_EQ(alerts.shown().size(), 2u);
    EXPECT_EQ(alerts.shown()[0].style, quillet::AlertStyle::Informational);
    EXPECT_EQ(alerts.shown()[0].title, "Title");
    EXPECT_FALSE(alerts.shown()[0].message);
    EXPECT_EQ(alerts.shown()[1].style, quillet::AlertStyle::Critical);
}
