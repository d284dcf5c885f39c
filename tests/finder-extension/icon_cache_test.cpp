// The icon table: what it holds, and that readers always see a whole one.
#include "finder_sync_fixture.h"

#include "finder-extension/core/icon_cache.h"

#include <atomic>
#include <thread>

namespace quillet::test {
namespace {

TEST(IconCacheTest, TableHoldsEnabledSuffixesWithKnownIcons) {
    FakeFileTypes types;
    types.add("txt", std::nullopt, "text-x-generic");
    types.add("sh", std::nullopt, "text-x-script");
    Value templates =
        Value::Array{templateRecord("Text", "txt"),         templateRecord("Notes", "txt"),
                     templateRecord("Script", "sh", false), templateRecord("Folder", ""),
                     templateRecord("Odd", "zzz"),          Value("junk")};
    EXPECT_EQ(iconTableFor(templates, types), (IconCache::Table{{"txt", "text-x-generic"}}));
    EXPECT_TRUE(iconTableFor(Value("not an array"), types).empty());
}

TEST(IconCacheTest, ReadersDuringRebuildsSeeOnlyCompleteTables) {
    FakeFileTypes types;
    Value::Array many;
    for (int i = 0; i < 200; ++i) {
        std::string suffix = "s";
        suffix += std::to_string(i);
        types.add(suffix, std::nullopt, "icon-" + suffix);
        many.push_back(templateRecord("T", suffix));
    }
    IconCache cache(types, [&] { return Value(many); });
    std::atomic<bool> stop = false;
    std::atomic<int> partial = 0;
    std::thread reader([&] {
        while (!stop) {
            auto size = cache.table()->size();
            if (size != 0 && size != 200) {
                ++partial;
            }
        }
    });
    for (int i = 0; i < 20; ++i) {
        cache.rebuild();
    }
    ASSERT_TRUE(cache.waitUntilIdle(std::chrono::seconds(10)));
    stop = true;
    reader.join();
    EXPECT_EQ(partial, 0);
    EXPECT_EQ(cache.table()->size(), 200u);
}

using IconRefreshTest = FinderSyncFixture;

TEST_F(IconRefreshTest, TemplatesRefreshRebuildsTheCache) {
    fileTypes.add("txt", std::nullopt, "text-x-generic");
    fileTypes.add("md", std::nullopt, "text-markdown");
    set(keys::kFileTemplates, Value::Array{templateRecord("Text", "txt")});
    start();
    ASSERT_TRUE(sync->fileIcons().waitUntilIdle(std::chrono::seconds(5)));
    EXPECT_EQ(sync->fileIcons().iconNameForSuffix("txt"), "text-x-generic");

    set(keys::kFileTemplates, Value::Array{templateRecord("Notes", "md")});
    refresh(keys::kMonitoredPaths); // not the templates: the cache stays
    ASSERT_TRUE(sync->fileIcons().waitUntilIdle(std::chrono::seconds(5)));
    EXPECT_EQ(sync->fileIcons().iconNameForSuffix("md"), std::nullopt);

    refresh(keys::kFileTemplates);
    ASSERT_TRUE(sync->fileIcons().waitUntilIdle(std::chrono::seconds(5)));
    EXPECT_EQ(sync->fileIcons().iconNameForSuffix("md"), "text-markdown");
}

} // namespace
} // namespace quillet::test
