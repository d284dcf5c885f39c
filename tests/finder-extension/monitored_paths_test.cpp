// Which folders are served, and how the set follows the settings and the drives.
#include "finder_sync_fixture.h"

#include "finder-extension/core/monitored_paths.h"
#include "finder-extension/core/monitored_set.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <future>

namespace quillet::test {
namespace {

using Folders = std::vector<std::string>;

TEST(MonitoredSetTest, ServesFoldersAndBelowComparedComponentWise) {
    MonitoredSet set({"/data/work", "/srv/"});
    EXPECT_TRUE(set.serves("/data/work"));
    EXPECT_TRUE(set.serves("/data/work/"));
    EXPECT_TRUE(set.serves("/data/work/deep/er"));
    EXPECT_TRUE(set.serves("/data//work"));
    EXPECT_FALSE(set.serves("/data/work2"));
    EXPECT_FALSE(set.serves("/data"));
    EXPECT_FALSE(set.serves("data/work"));
    EXPECT_FALSE(set.serves(""));

    EXPECT_TRUE(MonitoredSet({"/"}).serves("/anything/at/all"));
    EXPECT_FALSE(MonitoredSet().serves("/"));
    EXPECT_TRUE(MonitoredSet().isNull());
    EXPECT_FALSE(MonitoredSet(Folders{}).isNull());
}

TEST(MonitoredSetTest, LocationValuesAsPathsOrFileURLs) {
    EXPECT_EQ(folderPathFromLocation("/data/work/"), "/data/work");
    EXPECT_EQ(folderPathFromLocation("file:///data/My%20Work"), "/data/My Work");
    EXPECT_EQ(folderPathFromLocation("file://localhost/data/x/"), "/data/x");
    EXPECT_EQ(folderPathFromLocation("file:///"), "/");
    // A relative path would be resolved against the file manager's own
    // working folder; it is not served.
    EXPECT_EQ(folderPathFromLocation("relative/dir"), std::nullopt);
    EXPECT_EQ(folderPathFromLocation(""), std::nullopt);
    EXPECT_EQ(folderPathFromLocation("file://host-only"), std::nullopt);
}

using LoadMonitoredPathsTest = FinderSyncFixture;

TEST_F(LoadMonitoredPathsTest, NothingConfiguredServesNothing) {
    start();
    EXPECT_FALSE(sync->directoryURLs().isNull());
    EXPECT_TRUE(served().empty());
    EXPECT_FALSE(sync->menuForServedFolder(MenuKind::ContextualMenuForContainer, {"/tmp", {}}));
}

TEST_F(LoadMonitoredPathsTest, EnabledRecordsInOrderWithoutExistenceTest) {
    set(keys::kMonitoredPaths,
        Value::Array{location("/b"), location("/a", false), location("/does/not/exist"),
                     location("/b/"), Value::Dictionary{{keys::kEnabled, true}},
                     Value::Dictionary{{keys::kPath, 5}, {keys::kEnabled, true}},
                     Value("not a record"), location("file:///c%20d"), location("rel/x")});
    start();
    EXPECT_EQ(served(), (Folders{"/b", "/does/not/exist", "/c d"}));
}

TEST_F(LoadMonitoredPathsTest, IllTypedSettingsServeNothingButDrives) {
    set(keys::kMonitoredPaths, Value("/not/an/array"));
    std::string root = xdg.makeDir("media");
    std::filesystem::create_directory(root + "/Stick");
    mediaRoots = {root};
    set(keys::kIncludeExternalDrives, 1);
    start();
    EXPECT_TRUE(servedBecomes({root + "/Stick"}));
}

TEST_F(LoadMonitoredPathsTest, ExternalDrivesAreTheDirectoriesInsideTheRoots) {
    std::string root = xdg.makeDir("media");
    std::string other = xdg.makeDir("run-media");
    std::string elsewhere = xdg.makeDir("elsewhere");
    std::filesystem::create_directory(root + "/Disk");
    std::ofstream(root + "/file.txt") << "x";
    std::ofstream(elsewhere + "/plain") << "x";
    std::filesystem::create_directory_symlink(elsewhere, root + "/LinkToDir");
    std::filesystem::create_symlink(elsewhere + "/plain", root + "/LinkToFile");
    std::filesystem::create_directory(other + "/Card");
    mediaRoots = {root, other, xdg.root() + "/missing-root"};
    set(keys::kMonitoredPaths, Value::Array{location("/home/me")});
    set(keys::kIncludeExternalDrives, true);
    start();
    EXPECT_TRUE(servedBecomes({"/home/me", root + "/Disk", root + "/LinkToDir", other + "/Card"}));

    set(keys::kIncludeExternalDrives, false);
    refresh(keys::kIncludeExternalDrives);
    EXPECT_EQ(served(), (Folders{"/home/me"}));
}

TEST_F(LoadMonitoredPathsTest, RefreshNotificationsRecomputeOnlyForTheirKeys) {
    set(keys::kMonitoredPaths, Value::Array{location("/one")});
    start();
    set(keys::kMonitoredPaths, Value::Array{location("/two")});

    refresh(keys::kCascadeMenu);
    refresh("");
    notifications.deliver("some.other.name", keys::kMonitoredPaths);
    queue.runPending();
    EXPECT_EQ(served(), (Folders{"/one"}));

    refresh(keys::kMonitoredPaths);
    EXPECT_EQ(served(), (Folders{"/two"}));
}

TEST_F(LoadMonitoredPathsTest, DriveMountedLaterIsServedAfterTheMount) {
    std::string root = xdg.makeDir("media");
    mediaRoots = {root};
    set(keys::kIncludeExternalDrives, true);
    start();
    EXPECT_TRUE(served().empty());

    std::filesystem::create_directory(root + "/NewDisk");
    volumes.fireMount(root + "/NewDisk");
    queue.runPending();
    EXPECT_TRUE(servedBecomes({root + "/NewDisk"}));
}

TEST_F(LoadMonitoredPathsTest, UnmountDropsFoldersBelowTheVolumeOnly) {
    set(keys::kMonitoredPaths,
        Value::Array{location("/media/me/Data"), location("/media/me/Data/Projects"),
                     location("/media/me/Data2/Projects"), location("/home/me")});
    start();

    for (std::string device : {"/media/me/Data", "/media/me/Data/"}) {
        SCOPED_TRACE(device);
        refresh(keys::kMonitoredPaths);
        volumes.fireUnmount(device);
        queue.runPending();
        // The mount point itself does not begin with "/media/me/Data/".
        EXPECT_EQ(served(), (Folders{"/media/me/Data", "/media/me/Data2/Projects", "/home/me"}));
    }

    // The settings are not read again: a removed folder comes back only
    // with the next recomputation.
    refresh(keys::kMonitoredPaths);
    EXPECT_EQ(served().size(), 4u);
}

TEST_F(LoadMonitoredPathsTest, AMountReportedWithAnUnmountKeepsTheNewDrive) {
    std::string root = xdg.makeDir("media");
    mediaRoots = {root};
    std::filesystem::create_directory(root + "/Old");
    set(keys::kIncludeExternalDrives, true);
    start();
    EXPECT_TRUE(servedBecomes({root + "/Old"}));

    // One change of the mount table: the old drive goes, a new one comes.
    std::filesystem::remove(root + "/Old");
    std::filesystem::create_directory(root + "/New");
    volumes.fireUnmount(root + "/Old");
    volumes.fireMount(root + "/New");
    queue.runPending();
    EXPECT_TRUE(servedBecomes({root + "/New"}));
}

TEST_F(LoadMonitoredPathsTest, AHungDriveRootNeverHoldsUpTheMainThread) {
    // A dead network share under the media root blocks every look at it: the
    // first scan hangs until released, and so does the third.
    std::string root = xdg.makeDir("media");
    std::filesystem::create_directory(root + "/Stick");
    mediaRoots = {root};
    std::promise<void> first;
    std::promise<void> third;
    beforeDriveScan = [gates = std::vector{first.get_future().share(), third.get_future().share()},
                       scans = std::make_shared<std::atomic<int>>(0)] {
        int n = (*scans)++;
        if (n == 0 || n == 2) {
            gates[n / 2].wait_for(std::chrono::seconds(10));
        }
    };
    set(keys::kMonitoredPaths, Value::Array{location("/home/me")});
    set(keys::kIncludeExternalDrives, true);

    start();
    EXPECT_EQ(served(), (Folders{"/home/me"})) << "the settings' folders are served at once";
    volumes.fireMount(root + "/Other");
    refresh(keys::kMonitoredPaths);
    EXPECT_EQ(served(), (Folders{"/home/me"}));
    first.set_value();
    EXPECT_TRUE(servedBecomes({"/home/me", root + "/Stick"}));

    // Drives switched off while a scan hangs: its late result adds nothing.
    refresh(keys::kMonitoredPaths);
    set(keys::kIncludeExternalDrives, false);
    refresh(keys::kIncludeExternalDrives);
    third.set_value();
    EXPECT_TRUE(queue.waitAndRunPending(std::chrono::seconds(5)));
    EXPECT_EQ(served(), (Folders{"/home/me"}));
}

} // namespace
} // namespace quillet::test
