// The menu's structure, titles and options, for every kind.
#include "finder_sync_fixture.h"

#include <filesystem>
#include <fstream>

namespace quillet::test {
namespace {

struct Entry {
    std::string title;
    std::string action;
    bool operator==(const Entry&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Entry& e) {
    return out << "{" << e.title << ", " << e.action << "}";
}

std::vector<Entry> entries(const Menu& menu) {
    std::vector<Entry> out;
    for (const auto& item : menu.items) {
        out.push_back({item.title, item.actionName});
    }
    return out;
}

constexpr MenuKind kAllKinds[] = {MenuKind::ContextualMenuForItems,
                                  MenuKind::ContextualMenuForContainer,
                                  MenuKind::ContextualMenuForSidebar, MenuKind::ToolbarItemMenu};

class MenuTest : public FinderSyncFixture {
protected:
    void SetUp() override {
        folder = xdg.makeDir("served");
        std::ofstream(folder + "/doc.txt") << "x";
        std::ofstream(folder + "/other.txt") << "x";
        std::filesystem::create_directory(folder + "/sub");
        set(keys::kMonitoredPaths, Value::Array{location(folder)});
        set(keys::kFileTemplates,
            Value::Array{templateRecord("Markdown", "md", false), templateRecord("Text", "txt"),
                         templateRecord("Script", "sh")});
    }

    std::optional<Menu> menu(MenuKind kind, std::vector<std::string> selected = {}) {
        return sync->menuForMenuKind(kind, FinderSelection{folder, std::move(selected)});
    }

    std::string folder;
};

TEST_F(MenuTest, EnabledTemplatesInStoredOrderKeepTheirIndexes) {
    start();
    auto result = menu(MenuKind::ContextualMenuForContainer);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->title, "");
    EXPECT_EQ(entries(*result), (std::vector<Entry>{{"New Text", "menuItemAction1"},
                                                    {"New Script", "menuItemAction2"}}));
}

TEST_F(MenuTest, RecordsThatAreNotDictionariesKeepTheirPlace) {
    set(keys::kFileTemplates, Value::Array{Value(7), templateRecord("Text", "txt")});
    start();
    auto result = menu(MenuKind::ContextualMenuForContainer);
    ASSERT_TRUE(result);
    EXPECT_EQ(entries(*result), (std::vector<Entry>{{"New Text", "menuItemAction1"}}));
}

TEST_F(MenuTest, HideMenuForFilesAppliesToASingleSelectedNonFolder) {
    set(keys::kHideMenuForFiles, true);
    start();
    EXPECT_FALSE(menu(MenuKind::ContextualMenuForItems, {folder + "/doc.txt"}));
    EXPECT_FALSE(menu(MenuKind::ContextualMenuForItems, {folder + "/gone-meanwhile"}));
    EXPECT_TRUE(menu(MenuKind::ContextualMenuForItems, {folder + "/sub"}));
    EXPECT_TRUE(
        menu(MenuKind::ContextualMenuForItems, {folder + "/doc.txt", folder + "/other.txt"}));
    EXPECT_TRUE(menu(MenuKind::ContextualMenuForItems, {}));
    for (MenuKind kind : {MenuKind::ContextualMenuForContainer, MenuKind::ContextualMenuForSidebar,
                          MenuKind::ToolbarItemMenu}) {
        EXPECT_TRUE(menu(kind, {folder + "/doc.txt"})) << static_cast<int>(kind);
    }

    set(keys::kHideMenuForFiles, false);
    EXPECT_TRUE(menu(MenuKind::ContextualMenuForItems, {folder + "/doc.txt"}));
}

TEST_F(MenuTest, CascadeNestsBareTitlesUnderNewFileExceptForTheToolbar) {
    set(keys::kCascadeMenu, true);
    start();
    for (MenuKind kind : kAllKinds) {
        SCOPED_TRACE(static_cast<int>(kind));
        auto result = menu(kind);
        ASSERT_TRUE(result);
        std::vector<Entry> bare{{"Text", "menuItemAction1"}, {"Script", "menuItemAction2"}};
        if (kind == MenuKind::ToolbarItemMenu) {
            EXPECT_EQ(entries(*result), bare);
            continue;
        }
        ASSERT_EQ(result->items.size(), 1u);
        const MenuItem& newFile = result->items.front();
        EXPECT_EQ(newFile.title, "New File");
        EXPECT_EQ(newFile.actionName, "");
        ASSERT_TRUE(newFile.submenu);
        EXPECT_EQ(newFile.submenu->title, "");
        EXPECT_EQ(entries(*newFile.submenu), bare);
    }
}

TEST_F(MenuTest, FlatMenuUsesTheNewPatternForEveryKind) {
    start(Value::Dictionary{{keys::kCascadeMenu, false}});
    for (MenuKind kind : kAllKinds) {
        auto result = menu(kind);
        ASSERT_TRUE(result);
        EXPECT_EQ(entries(*result), (std::vector<Entry>{{"New Text", "menuItemAction1"},
                                                        {"New Script", "menuItemAction2"}}));
    }
}

TEST_F(MenuTest, NoEnabledTemplateLeavesAnEmptyMenuOrAnEmptySubmenu) {
    set(keys::kFileTemplates, Value::Array{templateRecord("Text", "txt", false)});
    start();
    auto flat = menu(MenuKind::ContextualMenuForContainer);
    ASSERT_TRUE(flat);
    EXPECT_TRUE(flat->items.empty());

    set(keys::kCascadeMenu, true);
    auto nested = menu(MenuKind::ContextualMenuForContainer);
    ASSERT_TRUE(nested);
    ASSERT_EQ(nested->items.size(), 1u);
    ASSERT_TRUE(nested->items[0].submenu);
    EXPECT_TRUE(nested->items[0].submenu->items.empty());
}

TEST_F(MenuTest, OverridesAndTranslationsTitleTheEntries) {
    translate = [](const std::string& text) {
        return text == "New File" ? std::string("Neue Datei") : text;
    };
    set(keys::kLocalizedStrings, Value::Dictionary{{"New %@", "Create %@"}, {"New File", ""}});
    start();
    auto flat = menu(MenuKind::ContextualMenuForContainer);
    ASSERT_TRUE(flat);
    EXPECT_EQ(flat->items.at(0).title, "Create Text");

    // An empty override is no override: the translation applies.
    set(keys::kCascadeMenu, true);
    auto nested = menu(MenuKind::ContextualMenuForContainer);
    ASSERT_TRUE(nested);
    EXPECT_EQ(nested->items.at(0).title, "Neue Datei");

    set(keys::kLocalizedStrings, Value::Dictionary{{"New %@", "Fresh file"}});
    set(keys::kCascadeMenu, false);
    auto noPlaceholder = menu(MenuKind::ContextualMenuForContainer);
    ASSERT_TRUE(noPlaceholder);
    EXPECT_EQ(noPlaceholder->items.at(0).title, "Fresh file");
    EXPECT_EQ(sync->toolbarItemName(), "Quillet");
}

TEST_F(MenuTest, MissingIllTypedOrCorruptStoreGivesAnEmptyMenu) {
    start();
    set(keys::kFileTemplates, Value("not an array"));
    auto result = menu(MenuKind::ContextualMenuForContainer);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->items.empty());

    writer.reset();
    std::ofstream(paths::storeFile(ids::kSuiteName), std::ios::trunc) << "{ this is not json";
    result = menu(MenuKind::ContextualMenuForItems, {folder + "/doc.txt"});
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->items.empty());
}

TEST_F(MenuTest, EntriesCarryTheTypeIconWhenAskedFor) {
    fileTypes.add("txt", std::nullopt, "text-x-generic");
    // Registered defaults apply until the store says otherwise.
    start(Value::Dictionary{{keys::kShowFileIcon, true}});
    ASSERT_TRUE(sync->fileIcons().waitUntilIdle(std::chrono::seconds(5)));
    auto result = menu(MenuKind::ContextualMenuForContainer);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->items.at(0).iconName, "text-x-generic");
    EXPECT_EQ(result->items.at(1).iconName, std::nullopt); // no icon known for "sh"

    set(keys::kShowFileIcon, false);
    result = menu(MenuKind::ContextualMenuForContainer);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->items.at(0).iconName, std::nullopt);
}

TEST_F(MenuTest, OfferedOnlyAtOrBelowAServedFolder) {
    set(keys::kMonitoredPaths, Value::Array{location("/data/work")});
    start();
    auto at = [&](std::optional<std::string> target) {
        return sync->menuForServedFolder(MenuKind::ContextualMenuForContainer,
                                         FinderSelection{std::move(target), {}});
    };
    EXPECT_TRUE(at("/data/work"));
    EXPECT_TRUE(at("/data/work/a/b"));
    EXPECT_FALSE(at("/data/work2"));
    EXPECT_FALSE(at("/data"));
    EXPECT_FALSE(at(std::nullopt));
}

TEST_F(MenuTest, AClickReusesTheMenuUntilTheSettingsOrIconsChange) {
    fileTypes.add("txt", std::nullopt, "text-x-generic");
    set(keys::kShowFileIcon, true);
    start();
    ASSERT_TRUE(sync->fileIcons().waitUntilIdle(std::chrono::seconds(5)));
    const FinderSelection click{folder, {}};
    auto first = sync->menuForClick(MenuKind::ContextualMenuForContainer, click);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(sync->menuForClick(MenuKind::ContextualMenuForContainer, click), first)
        << "nothing changed: the same menu";
    EXPECT_NE(sync->menuForClick(MenuKind::ToolbarItemMenu, click), first) << "one per kind";

    // Every change is seen at the next click: another program's write, an
    // override, a rebuilt icon table.
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"templates", [&] { set(keys::kFileTemplates, Value::Array{templateRecord("Md", "md")}); }},
        {"override",
         [&] {
             set(keys::kLocalizedStrings, Value::Dictionary{{"New %@", "Create %@"}});
         }},
        {"icons",
         [&] {
             fileTypes.add("md", std::nullopt, "text-markdown");
             sync->cacheFileIcons();
             ASSERT_TRUE(sync->fileIcons().waitUntilIdle(std::chrono::seconds(5)));
         }},
    };
    auto before = first;
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        change();
        auto after = sync->menuForClick(MenuKind::ContextualMenuForContainer, click);
        ASSERT_NE(after, nullptr);
        EXPECT_NE(after, before);
        before = after;
    }
    EXPECT_EQ(entries(*before), (std::vector<Entry>{{"Create Md", "menuItemAction0"}}));
    EXPECT_EQ(before->items.at(0).iconName, std::optional<std::string>("text-markdown"));
}

} // namespace
} // namespace quillet::test

namespace quillet::test {
namespace {

TEST_F(MenuTest, TemplatesKeptForSomeFoldersAppearOnlyThere) {
    const std::string project = xdg.makeDir("served/Project");
    xdg.makeDir("served/Project/deep");
    FileTemplate minutes{.enabled = true,
                         .title = "Minutes",
                         .filePath = "/templates/Minutes",
                         .prefix = "Minutes {date}",
                         .suffix = "md"};
    minutes.limitedToPaths = {project};
    set(keys::kFileTemplates, Value::Array{templateRecord("Text", "txt"), minutes.toValue()});
    start();
    struct Case {
        const char* what;
        std::optional<std::string> target;
        std::vector<std::string> selected;
        bool offered;
    };
    const Case cases[] = {
        {"in the folder", project, {}, true},
        {"below it", project + "/deep", {}, true},
        {"elsewhere", folder, {}, false},
        {"the folder selected from its parent", folder, {project}, true},
        {"a subfolder selected", project, {project + "/deep"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto menu = sync->menuForClick(MenuKind::ContextualMenuForItems,
                                       FinderSelection{c.target, c.selected});
        ASSERT_NE(menu, nullptr);
        std::vector<Entry> expected{{"New Text", "menuItemAction0"}};
        if (c.offered) {
            expected.push_back({"New Minutes", "menuItemAction1"});
        }
        EXPECT_EQ(entries(*menu), expected);
    }
    // Without a folder (the toolbar), every template.
    auto toolbar = sync->menuForMenuKind(MenuKind::ToolbarItemMenu, FinderSelection{});
    ASSERT_TRUE(toolbar);
    EXPECT_EQ(toolbar->items.size(), 2u);
}

} // namespace
} // namespace quillet::test
