// The finishing steps of a new item (execute bits, dates), whether a file can
// be made somewhere, and folder bookmarks, on real files in a temporary folder.
#include "shared/file_dates.h"
#include "shared/folder_bookmark.h"
#include "shared/identifiers.h"
#include "shared/item_executable.h"
#include "shared/refresh_notification.h"
#include "shared/writability.h"
#include "support/fake_notification_center.h"
#include "support/file_text.h"
#include "support/temp_files_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet {
namespace {

namespace fs = std::filesystem;

using ItemFilesTest = test::TempFilesTest;

TEST_F(ItemFilesTest, ExecuteBitsChangeAndNothingElse) {
    touch("script.sh", "#!/bin/sh\n", 0644);
    EXPECT_TRUE(setItemExecutable(path("script.sh"), true));
    EXPECT_EQ(test::fileMode(path("script.sh")), 0755u);
    EXPECT_TRUE(setItemExecutable(path("script.sh"), false));
    EXPECT_EQ(test::fileMode(path("script.sh")), 0644u);
    touch("odd", "", 0640);
    EXPECT_TRUE(setItemExecutable(path("odd"), true));
    EXPECT_EQ(test::fileMode(path("odd")), 0751u);
    ::chmod(path("odd").c_str(), 02751);
    EXPECT_TRUE(setItemExecutable(path("odd"), false));
    EXPECT_EQ(test::fileMode(path("odd")), 02640u) << "other bits are kept";
}

TEST_F(ItemFilesTest, ExecuteBitsRefuseFoldersAndMissingItems) {
    fs::create_directory(path("folder"));
    ::chmod(path("folder").c_str(), 0700);
    EXPECT_FALSE(setItemExecutable(path("folder"), false));
    EXPECT_FALSE(setItemExecutable(path("folder"), true));
    EXPECT_EQ(test::fileMode(path("folder")), 0700u);
    const Status missing = setItemExecutable(path("missing"), true);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code(), std::errc::no_such_file_or_directory);
    EXPECT_EQ(missing.error().path(), path("missing"));
}

TEST_F(ItemFilesTest, ALinkedItemNeverChangesTheFileItPointsTo) {
    // A template may be a link; the new item is then a link too, and its
    // finishing steps must not reach the user's file behind it.
    touch("elsewhere/target.sh", "#!/bin/sh\n", 0755);
    const auto old = FileClock::from_time_t(1000000000);
    ASSERT_TRUE(updateDateForFile(old, path("elsewhere/target.sh")));
    fs::create_symlink(path("elsewhere/target.sh"), path("link.sh"));

    EXPECT_FALSE(setItemExecutable(path("link.sh"), false));
    EXPECT_TRUE(updateDateForFile(FileClock::now(), path("link.sh")));

    EXPECT_EQ(test::fileMode(path("elsewhere/target.sh")), 0755u);
    struct stat st {};
    ASSERT_EQ(::stat(path("elsewhere/target.sh").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    ASSERT_EQ(::lstat(path("link.sh").c_str(), &st), 0);
    EXPECT_GT(st.st_mtim.tv_sec, 1000000000) << "the link itself is dated now";
}

TEST_F(ItemFilesTest, DatesOfAFolderAndEverythingBelow) {
    touch("dated/inner/file.txt");
    const auto date = FileClock::from_time_t(1000000000) + std::chrono::milliseconds(250);
    ASSERT_TRUE(updateDateForPath(date, path("dated")));
    for (const char* name : {"dated", "dated/inner", "dated/inner/file.txt"}) {
        SCOPED_TRACE(name);
        struct stat st {};
        ASSERT_EQ(::stat(path(name).c_str(), &st), 0);
        EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
        EXPECT_EQ(st.st_mtim.tv_nsec, 250000000);
        EXPECT_EQ(st.st_atim.tv_sec, 1000000000);
    }
    EXPECT_FALSE(updateDateForPath(date, path("missing"))); // no effect but the error
    EXPECT_FALSE(fs::exists(path("missing")));
}

TEST_F(ItemFilesTest, WritabilityAnswersForTheNearestExistingAncestor) {
    for (const std::string& writable : {dir, dir + "/", path("not/yet/there.txt"), path("a%20b")}) {
        SCOPED_TRACE(writable);
        EXPECT_TRUE(isWritableOrCreatable(writable));
    }
    if (::geteuid() != 0) {
        fs::create_directory(path("locked"));
        ::chmod(path("locked").c_str(), 0555);
        const Status locked = checkWritableOrCreatable(path("locked/not/there"));
        ASSERT_FALSE(locked);
        EXPECT_EQ(locked.error().code(), std::errc::permission_denied);
        EXPECT_EQ(locked.error().path(), path("locked/")) << "the ancestor that answered";
        ::chmod(path("locked").c_str(), 0755);
    }
    EXPECT_FALSE(isWritableOrCreatable("/proc/1/not/there"));
    EXPECT_FALSE(isWritableOrCreatable(""));
}

TEST_F(ItemFilesTest, BookmarksResolveOnlyToTheSameFolder) {
    fs::create_directory(path("granted"));
    auto bookmark = bookmarkForFolder(path("granted"));
    ASSERT_TRUE(bookmark);
    EXPECT_EQ(folderForBookmark(*bookmark).valueOr(""), path("granted"));
    auto fromUrl = bookmarkForFolder("file://" + path("granted"));
    ASSERT_TRUE(fromUrl);
    EXPECT_EQ(folderForBookmark(*fromUrl).valueOr(""), path("granted"));
    // The stored form other programs read: {"path","dev","ino"} as compact JSON.
    const std::string stored(bookmark->begin(), bookmark->end());
    EXPECT_TRUE(stored.starts_with(R"({"dev":)")) << stored;
    EXPECT_NE(stored.find(R"("path":")" + path("granted") + "\""), std::string::npos) << stored;

    // Another folder under the same name is not the folder that was granted.
    fs::rename(path("granted"), path("moved"));
    fs::create_directory(path("granted"));
    EXPECT_FALSE(folderForBookmark(*bookmark));
    fs::remove(path("granted"));
    EXPECT_FALSE(folderForBookmark(*bookmark));
}

TEST_F(ItemFilesTest, BookmarksOfGarbageOrNonFoldersAreNothing) {
    using Data = Value::Data;
    auto bytes = [](const std::string& s) { return Data(s.begin(), s.end()); };
    for (const Data& garbage :
         {Data{}, Data{0xff, 0x00, 0x7b, 0x22}, bytes("[1,2,3]"),
          bytes(R"({"path":"/","dev":"1","ino":2})"), bytes(R"({"path":"/","dev":-1,"ino":2})"),
          bytes(R"({"path":"/"})")}) {
        SCOPED_TRACE(std::string(garbage.begin(), garbage.end()));
        EXPECT_FALSE(folderForBookmark(garbage));
    }
    touch("file.txt");
    for (const std::string& notAFolder :
         {path("file.txt"), path("missing"), std::string("relative/folder")}) {
        SCOPED_TRACE(notAFolder);
        EXPECT_FALSE(bookmarkForFolder(notAFolder));
    }
}

TEST(RefreshNotificationTest, NamesTheSuiteAndCarriesTheKey) {
    test::FakeNotificationCenter center;
    std::string seen;
    center.addObserver(ids::kSuiteName,
                       [&](const std::string&, const std::string& object) { seen = object; });
    postRefreshNotification(center, "monitoredPaths");
    ASSERT_EQ(center.posts().size(), 1u);
    EXPECT_EQ(center.posts()[0].name, ids::kSuiteName);
    EXPECT_EQ(seen, "monitoredPaths");
}

} // namespace
} // namespace quillet
