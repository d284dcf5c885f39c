#include "helper/core/new_file_panel/format_chooser_model.h"
#include "helper/core/new_file_panel/new_file_panel_model.h"

#include "fake_panel_host.h"
#include "panel_fixtures.h"
#include "temp_xdg.h"

#include <gtest/gtest.h>

namespace quillet::helper {
namespace {

using test::templateRecord;

std::vector<std::string> titles(const FormatChooserModel& model) {
    std::vector<std::string> out;
    for (const auto& choice : model.choices()) {
        out.push_back(choice.fileTemplate.title);
    }
    return out;
}

class FormatChooserTest : public ::testing::Test {
protected:
    Value text = templateRecord("Text", "/t/text.txt", "untitled", "txt");
    Value markdown = templateRecord("Markdown", "/t/notes.md", "Notes", "md");
    Value shell = templateRecord("Shell", "/t/script.sh", "script", "sh", false, true);
    Value legacy = templateRecord("Legacy", "/t/old.doc", "old", "doc", false);
    Value folder = templateRecord("Folder", "/t/Folder", "New Folder", "");
    Value::Array stored{text, markdown, shell, legacy, folder};
};

TEST_F(FormatChooserTest, ListsEnabledTemplatesInStoredOrderWithTheRequestSelected) {
    FormatChooserModel model(stored, markdown);
    EXPECT_EQ(titles(model), (std::vector<std::string>{"Text", "Markdown", "Folder"}));
    EXPECT_EQ(model.requestedIndex(), 1u);
    EXPECT_EQ(model.choices()[1].record, markdown);
}

TEST_F(FormatChooserTest, DisabledRequestIsListedAndSelectedButOtherDisabledOnesAreNot) {
    FormatChooserModel model(stored, shell);
    EXPECT_EQ(titles(model), (std::vector<std::string>{"Text", "Markdown", "Shell", "Folder"}));
    EXPECT_EQ(model.requestedIndex(), 2u);
}

TEST_F(FormatChooserTest, MatchesTheRequestByValueEqualityOfTheRecord) {
    // The same record read back with the flag stored as a number.
    Value requested = shell;
    (*requested.asDictionary())["enabled"] = Value(0);
    FormatChooserModel model(stored, requested);
    EXPECT_EQ(model.requestedIndex(), 2u);
    EXPECT_EQ(model.choices().size(), 4u);

    // A record that differs in one field is another template.
    Value other = markdown;
    (*other.asDictionary())["prefix"] = Value("Other");
    FormatChooserModel otherModel(stored, other);
    EXPECT_EQ(titles(otherModel),
              (std::vector<std::string>{"Text", "Markdown", "Folder", "Markdown"}));
    EXPECT_EQ(otherModel.requestedIndex(), 3u);
}

TEST_F(FormatChooserTest, ARequestTheStoreNoLongerHoldsIsStillOfferedAndSelected) {
    // Without it the chooser would show the first template while the title
    // and name belong to the request, and confirm would create the wrong one.
    FormatChooserModel model(Value::Array{text, markdown}, folder);
    EXPECT_EQ(titles(model), (std::vector<std::string>{"Text", "Markdown", "Folder"}));
    EXPECT_EQ(model.requestedIndex(), 2u);

    FormatChooserModel empty(std::nullopt, markdown);
    EXPECT_EQ(titles(empty), (std::vector<std::string>{"Markdown"}));
    EXPECT_EQ(empty.requestedIndex(), 0u);
}

class PanelModelTest : public FormatChooserTest {
protected:
    test::TempXdg xdg;
    test::FakePanelHost host;
    std::string dir = xdg.makeDir("Documents");
    std::string other = xdg.makeDir("Other");
};

TEST_F(PanelModelTest, StartsWithTheRequestsTitleAndUniqueDefaultName) {
    test::writeFile(dir + "/untitled.txt", "");
    NewFilePanelModel model(host, dir, FormatChooserModel(stored, text));
    EXPECT_EQ(model.title(), "New Text");
    EXPECT_EQ(model.nameField(), "untitled-1.txt");
    EXPECT_EQ(model.nameFieldBaseLength(), 10u);
    EXPECT_EQ(model.suffix(), "txt");
}

TEST_F(PanelModelTest, ProposesTheNameWithItsVariablesFilledInForTheFolderShown) {
    Value minutes = templateRecord("Minutes", "/t/minutes.md", "Minutes {folder}", "md");
    test::writeFile(dir + "/Minutes Documents.md", "");
    NewFilePanelModel model(host, dir, FormatChooserModel(Value::Array{minutes}, minutes));
    EXPECT_EQ(model.nameField(), "Minutes Documents-1.md");
    ASSERT_TRUE(model.selectTemplate(0, other));
    EXPECT_EQ(model.nameField(), "Minutes Other.md");
}

TEST_F(PanelModelTest, TitleGoesThroughTheUsersOverride) {
    host.overrides["New %@"] = "Create %@ here";
    NewFilePanelModel model(host, dir, FormatChooserModel(stored, text));
    EXPECT_EQ(model.title(), "Create Text here");
    host.overrides["New %@"] = "";
    EXPECT_EQ(model.title(), "New Text");
}

TEST_F(PanelModelTest, SwitchingToMarkdownRetitlesAndProposesItsNameWhereThePanelIs) {
    NewFilePanelModel model(host, dir, FormatChooserModel(stored, text));
    test::writeFile(other + "/Notes.md", "");
    ASSERT_TRUE(model.selectTemplate(1, other));
    EXPECT_EQ(model.title(), "New Markdown");
    EXPECT_EQ(model.suffix(), "md");
    // Free in the folder the panel shows, which is where it would be created.
    EXPECT_EQ(model.nameField(), "Notes-1.md");
    EXPECT_EQ(model.selectedTemplate().filePath, "/t/notes.md");

    ASSERT_TRUE(model.selectTemplate(2, other));
    EXPECT_EQ(model.suffix(), "");
    EXPECT_EQ(model.nameField(), "New Folder");
    EXPECT_EQ(model.nameFieldBaseLength(), 10u);
}

} // namespace
} // namespace quillet::helper
