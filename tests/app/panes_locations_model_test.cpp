// The Locations pane's rules, in particular where they differ from the
// Templates pane's.
#include "app/core/preferences/locations_model.h"

#include "shared/identifiers.h"
#include "shared/keys.h"
#include "support/fakes.h"
#include "support/temp_xdg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace quillet::app {
namespace {

namespace fs = std::filesystem;
using Posted = test::FakeNotificationCenter::Posted;

class LocationsModelTest : public ::testing::Test {
protected:
    SettingsStore openStore() {
        ++storesOpened;
        return SettingsStore::atPath(storeFile);
    }
    LocationsModel& model() {
        if (!model_) {
            model_ = std::make_unique<LocationsModel>([this] { return openStore(); }, broadcast,
                                                      nullptr);
        }
        return *model_;
    }
    std::vector<std::string> paths() {
        std::vector<std::string> result;
        const auto array = openStore().arrayForKey(keys::kMonitoredPaths);
        for (const auto& r : *array) {
            result.push_back(*r.find(keys::kPath)->asString());
        }
        return result;
    }

    test::TempXdg xdg;
    std::string storeFile = xdg.configHome() + "/quillet/shared.json";
    test::FakeNotificationCenter broadcast;
    int storesOpened = 0;
    std::unique_ptr<LocationsModel> model_;
};

TEST_F(LocationsModelTest, DiffersFromTheTemplatesPane) {
    ASSERT_TRUE(openStore().setObject(
        keys::kMonitoredPaths, Value::Array{Value::Dictionary{{"enabled", true}, {"path", "/"}}}));
    const std::string work = xdg.makeDir("home/Work");
    std::ofstream(xdg.home() + "/file.txt") << "x";

    // Folders only, as they are, duplicates included; a file is skipped.
    EXPECT_EQ(model().addFolders({work, xdg.home() + "/file.txt", work}), 2u);
    EXPECT_EQ(paths(), (std::vector<std::string>{"/", work, work}));
    EXPECT_EQ(broadcast.posts().back(), (Posted{ids::kSuiteName, "monitoredPaths"}));

    // Every save goes through a handle of its own.
    int before = storesOpened;
    ASSERT_TRUE(model().save());
    EXPECT_EQ(storesOpened, before + 1);

    // Empty paths are refused; paths that do not exist are stored.
    struct Case {
        LocationColumn column;
        Value value;
        bool changes;
    } cases[] = {
        {LocationColumn::Path, "", false},
        {LocationColumn::Path, "/no/such/folder", true},
        {LocationColumn::Path, "/no/such/folder", false},
        {LocationColumn::Enabled, false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(model().setValue(1, c.column, c.value), c.changes);
    }
    EXPECT_EQ(paths()[1], "/no/such/folder");

    // Removal leaves the folder on disk.
    model().removeRows({2});
    EXPECT_EQ(paths(), (std::vector<std::string>{"/", "/no/such/folder"}));
    EXPECT_TRUE(fs::is_directory(work));

    // The record's URL form is read back as a path.
    model().setValue(0, LocationColumn::Path, "file://" + work);
    EXPECT_EQ(model().pathAt(0), work);
    EXPECT_EQ(model().toolTip(0, LocationColumn::Path), "file://" + work);
}

TEST_F(LocationsModelTest, ExternalDrivesOptionIsStoredAndAnnounced) {
    EXPECT_FALSE(model().includeExternalDrives());
    model().setIncludeExternalDrives(true);
    EXPECT_TRUE(openStore().boolForKey(keys::kIncludeExternalDrives));
    EXPECT_EQ(broadcast.posts(), (std::vector<Posted>{{ids::kSuiteName, "includeExternalDrives"}}));
}

} // namespace
} // namespace quillet::app
