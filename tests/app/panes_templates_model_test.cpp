// The Templates pane's rules against a real store file, real template files
// and fake notification centres.
#include "app/core/preferences/image_title_layout.h"
#include "app/core/preferences/templates_model.h"

#include "shared/error_text.h"
#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/records.h"
#include "support/fakes.h"
#include "support/file_text.h"
#include "support/temp_xdg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

namespace quillet::app {
namespace {

namespace fs = std::filesystem;
using test::FakeNotificationCenter;

void writeFile(const std::string& path, const std::string& text, fs::perms mode = fs::perms(0644)) {
    std::ofstream(path) << text;
    fs::permissions(path, mode);
}

Value record(const std::string& title, const std::string& filePath) {
    return FileTemplate{
        .enabled = true, .title = title, .filePath = filePath, .prefix = title, .suffix = "txt"}
        .toValue();
}

class TemplatesModelTest : public ::testing::Test {
protected:
    TemplatesModelTest() {
        types.add("txt", "Plain text document");
        outside = xdg.makeDir("home/Documents");
    }

    SettingsStore openStore() const { return SettingsStore::atPath(storeFile); }

    TemplatesModel& model() {
        if (!model_) {
            model_ = std::make_unique<TemplatesModel>(
                openStore(), TemplatesModelPorts{broadcast, local, types, nullptr, workspace},
                templatesDir);
        }
        return *model_;
    }

    void storeRecords(const std::vector<Value>& records) {
        ASSERT_TRUE(openStore().setObject(keys::kFileTemplates, Value(records)));
    }

    std::vector<std::string> titles() const {
        std::vector<std::string> result;
        const auto array = openStore().arrayForKey(keys::kFileTemplates);
        for (const auto& r : *array) {
            result.push_back(*r.find(keys::kTitle)->asString());
        }
        return result;
    }

    test::TempXdg xdg;
    std::string storeFile = xdg.configHome() + "/quillet/shared.json";
    std::string templatesDir = xdg.makeDir("data/quillet/Templates");
    std::string outside;
    FakeNotificationCenter broadcast;
    FakeNotificationCenter local;
    test::FakeWorkspace workspace;
    test::FakeFileTypes types;
    std::unique_ptr<TemplatesModel> model_;
};

TEST_F(TemplatesModelTest, EditsFollowTheEmptyAndEqualRules) {
    storeRecords({record("Text", templatesDir + "/a.txt")});
    struct Case {
        TemplateColumn column;
        Value value;
        bool changes;
        Value stored;
    } cases[] = {
        {TemplateColumn::Title, "", false, "Text"},
        {TemplateColumn::Prefix, "", false, "Text"},
        {TemplateColumn::Suffix, "", true, ""},
        {TemplateColumn::Suffix, "", false, ""},
        {TemplateColumn::Title, "Text", false, "Text"},
        {TemplateColumn::Title, "Notes", true, "Notes"},
        {TemplateColumn::Enabled, false, true, false},
        {TemplateColumn::Executable, 0, false, false}, // 0 equals false
        {TemplateColumn::Shortcut, Value::Dictionary{}, false, Value()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(TemplatesModel::identifier(c.column));
        broadcast.clearPosts();
        local.clearPosts();
        EXPECT_EQ(model().setValue(0, c.column, c.value), c.changes);
        const Value stored = (*openStore().arrayForKey(keys::kFileTemplates))[0];
        const Value* field = stored.find(TemplatesModel::identifier(c.column));
        EXPECT_EQ(field ? *field : Value(), c.stored);
        EXPECT_EQ(broadcast.posts().size(), c.changes ? 1u : 0u) << "nothing posted for a no-op";
        EXPECT_EQ(local.posts().size(), c.changes ? 1u : 0u);
    }
}

TEST_F(TemplatesModelTest, SavePostsBothNotifications) {
    ASSERT_TRUE(model().save());
    EXPECT_EQ(broadcast.posts(),
              (std::vector<FakeNotificationCenter::Posted>{{ids::kSuiteName, "fileTemplates"}}));
    EXPECT_EQ(local.posts(),
              (std::vector<FakeNotificationCenter::Posted>{{"templatesDidSave", ""}}));
}

// A save the store refuses gives the store's own reason, which the pane
// shows in the user's language, and not the store's English log line.
TEST_F(TemplatesModelTest, ARefusedSaveGivesTheStoresReason) {
    storeRecords({record("Text", templatesDir + "/Text.txt")});
    std::optional<Error> failure;
    model().setSaveFailureHandler([&failure](const Error& error) { failure = error; });
    model().setValue(0, TemplateColumn::Title, Value(std::string("\xff")));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->action(), "save the templates");
    EXPECT_EQ(failure->reason(), "text that is not UTF-8");
    const Translator german = [](const std::string& text) {
        return text == "text that is not UTF-8" ? std::string("Text, der kein UTF-8 ist") : text;
    };
    EXPECT_EQ(localizedUserText(*failure, german), "Text, der kein UTF-8 ist");
    EXPECT_EQ(titles(), std::vector<std::string>{"Text"}) << "the stored list is kept";
}

TEST_F(TemplatesModelTest, ReorderingFollowsTheDropGap) {
    struct Case {
        std::set<std::size_t> rows;
        std::size_t drop;
        std::vector<std::string> order;
        std::size_t first, count;
    } cases[] = {
        {{0, 2}, 4, {"1", "3", "0", "2", "4"}, 2, 2}, {{4}, 0, {"4", "0", "1", "2", "3"}, 0, 1},
        {{0}, 5, {"1", "2", "3", "4", "0"}, 4, 1},    {{1, 3}, 1, {"0", "1", "3", "2", "4"}, 1, 2},
        {{2}, 2, {"0", "1", "2", "3", "4"}, 2, 1},
    };
    for (const auto& c : cases) {
        std::vector<Value> records;
        for (int i = 0; i < 5; ++i) {
            records.push_back(record(std::to_string(i), templatesDir + "/x"));
        }
        storeRecords(records);
        model_.reset();
        RowMove move = model().moveRows(c.rows, c.drop);
        EXPECT_EQ(titles(), c.order);
        EXPECT_EQ(move.first, c.first);
        EXPECT_EQ(move.count, c.count);
    }
}

TEST(RowReorder, KeyboardStepsUseTheDragArithmetic) {
    struct Case {
        std::set<std::size_t> rows;
        int direction;
        std::optional<std::size_t> drop;
    } cases[] = {
        {{2}, -1, 1},
        {{2}, +1, 4},
        {{0}, -1, std::nullopt},
        {{4}, +1, std::nullopt},
        {{1, 2}, +1, 4},
        {{}, -1, std::nullopt},
        {{3}, +1, 5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dropRowForStep(5, c.rows, c.direction), c.drop);
    }
    // Alt+Down on row 3 of 5 makes it the last row, selected there.
    RowMove move = moveRows(5, {3}, *dropRowForStep(5, {3}, +1));
    EXPECT_EQ(move.order, (std::vector<std::size_t>{0, 1, 2, 4, 3}));
    EXPECT_EQ(move.first, 4u);
}

TEST_F(TemplatesModelTest, AddingCopiesIntoTheTemplatesFolder) {
    writeFile(templatesDir + "/report.txt", "old");
    writeFile(outside + "/report.txt", "new");
    writeFile(outside + "/run", "#!/bin/sh\n", fs::perms(0755));
    writeFile(outside + "/notes.zzz", "?");
    fs::create_directories(outside + "/Project/src");
    writeFile(templatesDir + "/loose.txt", "in place");

    EXPECT_EQ(model().addFileTemplates({outside + "/report.txt", outside + "/run",
                                        outside + "/notes.zzz", outside + "/Project",
                                        templatesDir + "/loose.txt", outside + "/missing.txt"}),
              5u);
    struct Expect {
        std::string file, title, prefix, suffix;
        bool executable;
    } expected[] = {
        {templatesDir + "/report-1.txt", "Plain text document", "report", "txt", false},
        {templatesDir + "/run", "Document", "run", "", true},
        // A title taken already gets a number, so that the rows differ.
        {templatesDir + "/notes.zzz", "Document 2", "notes", "zzz", false},
        {templatesDir + "/Project", "Folder", "Project", "", true},
        {templatesDir + "/loose.txt", "Plain text document 2", "loose", "txt", false},
    };
    ASSERT_EQ(model().count(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(expected[i].file);
        EXPECT_EQ(model().stringAt(i, keys::kFilePath), expected[i].file);
        EXPECT_EQ(model().stringAt(i, keys::kTitle), expected[i].title);
        EXPECT_EQ(model().stringAt(i, keys::kPrefix), expected[i].prefix);
        EXPECT_EQ(model().stringAt(i, keys::kSuffix), expected[i].suffix);
        EXPECT_EQ(model().boolAt(i, keys::kExecutable), expected[i].executable);
        EXPECT_TRUE(model().boolAt(i, keys::kEnabled));
    }
    EXPECT_EQ(test::fileText(templatesDir + "/report.txt"), "old");
    EXPECT_EQ(test::fileText(templatesDir + "/report-1.txt"), "new");
    EXPECT_TRUE(fs::is_directory(templatesDir + "/Project/src"));
    EXPECT_FALSE(fs::exists(templatesDir + "/loose-1.txt")) << "not copied: already there";

    // A file of the folder that is already a template is copied again.
    EXPECT_EQ(model().addFileTemplates({templatesDir + "/loose.txt"}), 1u);
    EXPECT_EQ(model().stringAt(5, keys::kFilePath), templatesDir + "/loose-1.txt");
    EXPECT_EQ(model().stringAt(5, keys::kTitle), "Plain text document 3");
    // Nothing added still saves.
    broadcast.clearPosts();
    EXPECT_EQ(model().addFileTemplates({}), 0u);
    EXPECT_EQ(broadcast.posts().size(), 1u);
}

TEST(DistinctTitleTest, ATakenTitleGetsTheFirstFreeNumber) {
    const struct {
        const char* title;
        std::set<std::string> taken;
        const char* expected;
    } rows[] = {
        {"Plain text document", {}, "Plain text document"},
        {"Plain text document", {"Plain text document"}, "Plain text document 2"},
        {"Folder", {"Folder", "Folder 2", "Folder 4"}, "Folder 3"},
        {"Folder", {"folder"}, "Folder"},
        {"", {""}, " 2"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected);
        EXPECT_EQ(distinctTitle(row.title, row.taken), row.expected);
    }
}

TEST_F(TemplatesModelTest, RemovalTrashesOnlyFilesInsideTheTemplatesFolder) {
    writeFile(templatesDir + "/a.txt", "a");
    writeFile(outside + "/thesis.txt", "years of work");
    fs::create_directories(templatesDir + "/Folder/inner");
    fs::create_symlink(outside, templatesDir + "/linked");
    writeFile(outside + "/via-link.txt", "mine");
    storeRecords({record("a", templatesDir + "/a.txt"), record("thesis", outside + "/thesis.txt"),
                  record("dots", templatesDir + "/../../../home/Documents/thesis.txt"),
                  record("folder", "file://" + templatesDir + "/Folder"),
                  record("link", templatesDir + "/linked/via-link.txt"),
                  record("kept", templatesDir + "/kept.txt")});
    // The question asked first counts the same files.
    EXPECT_EQ(model().countTrashedOnRemoval({0, 1, 2, 3, 4}), 2U);
    EXPECT_EQ(model().countTrashedOnRemoval({1, 2, 4}), 0U);
    EXPECT_EQ(model().countTrashedOnRemoval({0, 9}), 1U);
    model().removeRows({0, 1, 2, 3, 4});
    EXPECT_EQ(titles(), (std::vector<std::string>{"kept"}));
    // Into the trash, not deleted: a removal made by mistake can be undone.
    EXPECT_EQ(workspace.trashed,
              (std::vector<std::string>{templatesDir + "/a.txt", templatesDir + "/Folder"}));
    EXPECT_FALSE(fs::exists(templatesDir + "/a.txt"));
    EXPECT_FALSE(fs::exists(templatesDir + "/Folder"));
    EXPECT_EQ(test::fileText(outside + "/thesis.txt"), "years of work");
    EXPECT_EQ(test::fileText(outside + "/via-link.txt"), "mine");
}

TEST_F(TemplatesModelTest, ReloadsOnAnotherProgramsChangeUnlessEditing) {
    storeRecords({record("a", templatesDir + "/a")});
    bool editing = true;
    int reloads = 0;
    model().setExternalChangeHandlers([&] { return !editing; }, [&] { ++reloads; });
    storeRecords({record("a", templatesDir + "/a"), record("from popover", templatesDir + "/b")});
    broadcast.deliver(ids::kSuiteName, "fileTemplates");
    EXPECT_EQ(model().count(), 1u) << "no reload while an edit is in progress";
    editing = false;
    broadcast.deliver(ids::kSuiteName, "monitoredPaths");
    EXPECT_EQ(model().count(), 1u);
    broadcast.deliver(ids::kSuiteName, "fileTemplates");
    EXPECT_EQ(model().count(), 2u);
    EXPECT_EQ(reloads, 1);
    model().setValue(0, TemplateColumn::Title, "edited");
    EXPECT_EQ(titles(), (std::vector<std::string>{"edited", "from popover"}));
    broadcast.deliver(ids::kSuiteName, "fileTemplates");
    EXPECT_EQ(reloads, 1) << "our own save changes nothing";
}

TEST_F(TemplatesModelTest, ShortcutsAndEnabling) {
    storeRecords({record("a", templatesDir + "/a")});
    EXPECT_TRUE(model().valueAt(0, TemplateColumn::Shortcut).isNull());
    Value withShortcut = record("a", templatesDir + "/a");
    (*withShortcut.asDictionary())[keys::kShortcut] =
        Value::Dictionary{{keys::kShortcutKeyCode, 110}, {keys::kShortcutModifierFlags, 12}};
    model().replaceRecords({withShortcut});
    EXPECT_EQ(model().valueAt(0, TemplateColumn::Shortcut), Value("Ctrl+Alt+N"));
    EXPECT_EQ(broadcast.posts().back().object, "fileTemplates");
    EXPECT_EQ(model().toolTip(0, TemplateColumn::Title), templatesDir + "/a");

    struct Case {
        RowAction action;
        bool none, one, two;
    } cases[] = {
        {RowAction::Remove, false, true, true},       {RowAction::Reveal, false, true, true},
        {RowAction::EditShortcut, false, true, true}, {RowAction::Open, false, true, false},
        {RowAction::Other, true, true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isRowActionEnabled(c.action, 0), c.none);
        EXPECT_EQ(isRowActionEnabled(c.action, 1), c.one);
        EXPECT_EQ(isRowActionEnabled(c.action, 2), c.two);
    }
}

TEST(ImageTitleLayout, TheTitleSitsBesideTheImageAndNeverPassesTheCellsEdge) {
    struct Case {
        int cellWidth, titleWidth;
        bool hasTitle, rightToLeft;
        int expected, imageX, titleX;
    } cases[] = {
        {100, 200, true, false, 81, 6, 24},
        {10, 200, true, false, 0, 6, 24},
        {100, 30, true, false, 30, 6, 24},
        {100, 30, false, false, 0, 6, 24},
        // Mirrored: the image one point in from the right edge (105), the
        // title ending 19 points in, beside it.
        {100, 30, true, true, 30, 89, 56},
        {100, 200, true, true, 81, 89, 5},
        {10, 200, true, true, 0, -1, -4},
        {100, 30, false, true, 0, 89, 86},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.cellWidth << " " << c.titleWidth << " rtl " << c.rightToLeft);
        auto layout =
            imageTitleLayout({5, 7, c.cellWidth, 20}, c.titleWidth, 14, c.hasTitle, c.rightToLeft);
        EXPECT_EQ(layout.image, (CellRect{c.imageX, 8, 15, 15}));
        EXPECT_EQ(layout.title.x, c.titleX);
        EXPECT_EQ(layout.title.width, c.expected);
        EXPECT_EQ(layout.title.height, c.hasTitle ? 14 : 0);
    }
}

} // namespace
} // namespace quillet::app
