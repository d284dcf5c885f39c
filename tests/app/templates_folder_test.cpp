// The desktop's templates folder as templates: its items read where they
// are (link files followed), offered by the Templates pane when not listed,
// and never deleted by a removal there; the per-template options the pane
// stores keep whatever else the record holds.
#include "app/core/preferences/templates_model.h"
#include "app/core/templates_folder.h"

#include "shared/keys.h"
#include "shared/records.h"
#include "support/fakes.h"
#include "support/file_text.h"
#include "support/temp_xdg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace quillet::app {
namespace {

namespace fs = std::filesystem;

std::string field(const Value& record, const char* key) {
    const Value* v = record.find(key);
    return v && v->asString() ? *v->asString() : std::string("(none)");
}

class TemplatesFolderTest : public ::testing::Test {
protected:
    TemplatesFolderTest() {
        std::ofstream(folder + "/Minutes {date}.md") << "# {folder}\n";
        std::ofstream(folder + "/Letter.odt") << "odt";
        fs::create_directories(folder + "/Project skeleton.d/src");
        std::ofstream(folder + "/.hidden") << "";
        std::ofstream(folder + "/notes.txt~") << "";
        fs::create_directories(folder + "/.source");
        std::ofstream(folder + "/.source/Sheet.ods") << "ods";
        std::ofstream(folder + "/kde.desktop")
            << "[Desktop Entry]\nName=Spreadsheet...\nName[de]=Tabelle...\nIcon=x-office-"
               "spreadsheet\nType=Link\nURL=.source/Sheet.ods\n";
        std::ofstream(folder + "/broken.desktop")
            << "[Desktop Entry]\nType=Link\nURL=.source/missing.txt\nName=Gone\n";
        std::ofstream(folder + "/launcher.desktop") << "[Desktop Entry]\nType=Application\n";
    }

    test::TempXdg xdg;
    std::string folder = xdg.makeDir("home/Vorlagen");
};

TEST_F(TemplatesFolderTest, ItemsBecomeRecordsWhereTheyAre) {
    struct Expected {
        std::string title, filePath, prefix, suffix;
        bool executable = false;
    };
    fs::permissions(folder + "/launcher.desktop", fs::perms::owner_exec, fs::perm_options::add);
    const std::vector<Expected> expected{
        {"Letter", folder + "/Letter.odt", "Letter", "odt"},
        {"Minutes {date}", folder + "/Minutes {date}.md", "Minutes {date}", "md"},
        // A folder's x bit lets it be entered: no program.
        {"Project skeleton.d", folder + "/Project skeleton.d", "Project skeleton.d", ""},
        {"Spreadsheet", folder + "/.source/Sheet.ods", "Sheet", "ods"},
        {"launcher", folder + "/launcher.desktop", "launcher", "desktop", true},
    };
    const std::vector<Value> records =
        templatesFolderRecords(folder, [](const std::string&) { return false; });
    ASSERT_EQ(records.size(), expected.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE(expected[i].title);
        EXPECT_EQ(field(records[i], keys::kTitle), expected[i].title);
        EXPECT_EQ(field(records[i], keys::kFilePath), expected[i].filePath);
        EXPECT_EQ(field(records[i], keys::kPrefix), expected[i].prefix);
        EXPECT_EQ(field(records[i], keys::kSuffix), expected[i].suffix);
        EXPECT_TRUE(records[i].find(keys::kEnabled)->asBool().value_or(false));
        EXPECT_EQ(records[i].find(keys::kExecutable)->asBool(), expected[i].executable);
    }
    // What is listed already is not offered again; a missing folder offers nothing.
    EXPECT_EQ(templatesFolderRecords(
                  folder, [&](const std::string& path) { return path != folder + "/Letter.odt"; })
                  .size(),
              1u);
    EXPECT_TRUE(templatesFolderRecords(folder + "/missing", [](auto&) { return false; }).empty());
}

TEST(TemplateLink, TargetNameAndIcon) {
    struct Case {
        const char* what;
        std::string text;
        std::string target; // empty: not a link
        std::string name;
    };
    const Case cases[] = {
        {"relative", "[Desktop Entry]\nType=Link\nURL=.source/a.txt\nName=A\n", "/t/.source/a.txt",
         "A"},
        {"absolute", "[Desktop Entry]\nType=Link\nURL=/srv/b.txt\n", "/srv/b.txt", ""},
        {"file URL", "[Desktop Entry]\nType=Link\nURL=file:///srv/with%20space.txt\n",
         "/srv/with space.txt", ""},
        {"escapes", "[Desktop Entry]\nType = Link\nURL = ../x\\sy.txt\nName=Two\\sWords\n",
         "/x y.txt", "Two Words"},
        {"other group", "[Other]\nType=Link\nURL=/a\n[Desktop Entry]\nType=Link\nURL=/b\n", "/b",
         ""},
        {"remote URL", "[Desktop Entry]\nType=Link\nURL=https://example.org/a\n", "", ""},
        {"no URL", "[Desktop Entry]\nType=Link\n", "", ""},
        {"an application", "[Desktop Entry]\nType=Application\nExec=true\n", "", ""},
        {"not a desktop file",
         "\x7f"
         "ELF",
         "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Expected<TemplateLink> link = readTemplateLink(c.text, "/t");
        ASSERT_EQ(link.ok(), !c.target.empty());
        if (link) {
            EXPECT_EQ(link->target, c.target);
            EXPECT_EQ(link->name, c.name);
        }
    }
    auto withIcon = readTemplateLink("[Desktop Entry]\nType=Link\nURL=/a\nIcon=x-office\n", "/");
    ASSERT_TRUE(withIcon);
    EXPECT_EQ(withIcon->icon, "x-office");
}

TEST_F(TemplatesFolderTest, ThePaneOffersWhatIsNotListedAndNeverDeletesIt) {
    test::FakeNotificationCenter broadcast;
    test::FakeNotificationCenter local;
    test::FakeFileTypes types;
    test::FakeWorkspace workspace;
    const std::string templatesDir = xdg.makeDir("data/quillet/Templates");
    const std::string storeFile = xdg.configHome() + "/quillet/shared.json";
    SettingsStore store = SettingsStore::atPath(storeFile);
    ASSERT_TRUE(store.setObject(keys::kFileTemplates,
                                Value::Array{FileTemplate{.enabled = true,
                                                          .title = "Letter",
                                                          .filePath = folder + "/Letter.odt",
                                                          .prefix = "Letter",
                                                          .suffix = "odt"}
                                                 .toValue()}));
    TemplatesModel model(SettingsStore::atPath(storeFile),
                         TemplatesModelPorts{broadcast, local, types, nullptr, workspace},
                         templatesDir);

    const std::vector<Value> offered = model.unlistedTemplatesFolderRecords(folder);
    ASSERT_EQ(offered.size(), 4u) << "Letter is listed already";
    EXPECT_EQ(model.addReferencedTemplates({offered[0]}), 1u);
    EXPECT_EQ(model.pathAt(1), folder + "/Minutes {date}.md") << "referenced, not copied";
    EXPECT_TRUE(fs::is_empty(templatesDir));
    EXPECT_EQ(model.unlistedTemplatesFolderRecords(folder).size(), 3u);
    EXPECT_TRUE(model.unlistedTemplatesFolderRecords("").empty()) << "no templates folder";

    model.removeRows({0, 1});
    EXPECT_EQ(model.count(), 0u);
    EXPECT_EQ(test::fileText(folder + "/Letter.odt"), "odt");
    EXPECT_EQ(test::fileText(folder + "/Minutes {date}.md"), "# {folder}\n");
}

TEST_F(TemplatesFolderTest, OptionsKeepWhatTheRecordHoldsBesides) {
    test::FakeNotificationCenter broadcast;
    test::FakeNotificationCenter local;
    test::FakeFileTypes types;
    test::FakeWorkspace workspace;
    const std::string storeFile = xdg.configHome() + "/quillet/shared.json";
    SettingsStore store = SettingsStore::atPath(storeFile);
    const Value::Dictionary newer{{keys::kTitle, "T"},
                                  {keys::kPrefix, "Notes {dat}"},
                                  {keys::kFilePath, folder + "/Letter.odt"},
                                  {"keyOfANewerVersion", Value::Array{1, 2}}};
    ASSERT_TRUE(store.setObject(keys::kFileTemplates, Value::Array{newer}));
    ASSERT_TRUE(store.setObject(
        keys::kMonitoredPaths,
        Value::Array{Value::Dictionary{{keys::kPath, "/srv/Project"}, {keys::kEnabled, true}},
                     Value::Dictionary{{keys::kPath, "/srv/Other"}, {keys::kEnabled, false}}}));
    TemplatesModel model(SettingsStore::atPath(storeFile),
                         TemplatesModelPorts{broadcast, local, types, nullptr, workspace}, folder);

    EXPECT_EQ(model.unknownVariablesAt(0), std::vector<std::string>{"dat"});
    EXPECT_TRUE(model.setExpandsVariables(0, true));
    EXPECT_TRUE(model.setLimitedToPaths(0, {"/srv/Project", "/gone"}));
    EXPECT_EQ(model.folderChoicesFor(0),
              (std::vector<std::string>{"/srv/Project", "/srv/Other", "/gone"}));

    auto stored = store.arrayForKey(keys::kFileTemplates);
    ASSERT_TRUE(stored && stored->size() == 1);
    const Value& record = stored->front();
    EXPECT_EQ(*record.find("keyOfANewerVersion"), (Value::Array{1, 2}));
    EXPECT_EQ(*record.find(keys::kExpandsVariables), Value(true));
    EXPECT_EQ(*record.find(keys::kLimitedToPaths), (Value::Array{"/srv/Project", "/gone"}));

    // No folder chosen: the key goes, and the template is offered everywhere.
    EXPECT_TRUE(model.setLimitedToPaths(0, {}));
    EXPECT_FALSE(model.setLimitedToPaths(0, {}));
    EXPECT_EQ(store.arrayForKey(keys::kFileTemplates)->front().find(keys::kLimitedToPaths),
              nullptr);
}

} // namespace
} // namespace quillet::app
