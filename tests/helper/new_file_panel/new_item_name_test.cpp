#include "helper/core/new_file_panel/new_item_name.h"

#include "fake_file_types.h"
#include "panel_fixtures.h"
#include "temp_xdg.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace quillet::helper {
namespace {

FileTemplate makeTemplate(const std::string& prefix, const std::string& suffix) {
    FileTemplate t;
    t.enabled = true;
    t.title = "T";
    t.prefix = prefix;
    t.suffix = suffix;
    return t;
}

class NewItemNameTest : public ::testing::Test {
protected:
    test::TempXdg xdg;
    std::string dir = xdg.makeDir("Documents");
};

TEST_F(NewItemNameTest, DefaultNameIsUniqueWholeWithItsBaseNameSelected) {
    struct Case {
        std::string prefix, suffix;
        std::vector<std::string> taken;
        std::string file, selected;
    };
    const std::vector<Case> cases = {
        {"untitled", "txt", {}, "untitled.txt", "untitled"},
        {"untitled", "txt", {"untitled.txt", "untitled-1.txt"}, "untitled-2.txt", "untitled-2"},
        {"Makefile", "", {"Makefile"}, "Makefile-1", "Makefile-1"},
        // Without a suffix the whole name is selected, dots and all.
        {"archive.tar", "", {}, "archive.tar", "archive.tar"},
        {"a", "tar.gz", {}, "a.tar.gz", "a"},
        {"a", "tar.gz", {"a.tar.gz"}, "a.tar-1.gz", "a.tar-1"},
        {"été", "md", {}, "été.md", "été"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prefix + " / " + c.suffix);
        const std::string folder = xdg.makeDir("case-" + c.prefix + c.suffix + c.file);
        for (const auto& name : c.taken) {
            test::writeFile(folder + "/" + name, "");
        }
        const DefaultName name = defaultNameIn(folder, makeTemplate(c.prefix, c.suffix));
        EXPECT_EQ(name.fieldText, c.file);
        EXPECT_EQ(name.fieldText.substr(0, name.baseLength), c.selected);
        EXPECT_EQ(name.path, folder + "/" + c.file);
    }
}

TEST(NameWithExtensionTest, AddsTheExtensionOnlyWhenTheNameHasNoneOfItsOwn) {
    test::FakeFileTypes types;
    types.add("md", "Markdown document");
    types.add("gz", "Gzip archive");
    types.add("txt", "plain text document");
    struct Case {
        std::string typed, suffix, expected;
    };
    const std::vector<Case> cases = {
        {"notes", "txt", "notes.txt"},
        {"notes.txt", "txt", "notes.txt"},
        {"Notes.TXT", "txt", "Notes.TXT"},
        // An extension the desktop knows is the user's choice of type.
        {"notes.md", "txt", "notes.md"},
        {"backup.tar.gz", "txt", "backup.tar.gz"},
        // One it does not know is part of the name.
        {"notes.txt.bak", "txt", "notes.txt.bak.txt"},
        {"Meeting 10.30", "txt", "Meeting 10.30.txt"},
        {"v1.2", "md", "v1.2.md"},
        {"notes.", "txt", "notes..txt"},
        // A leading dot makes a hidden name, not an extension.
        {".md", "txt", ".md.txt"},
        {".txt", "txt", ".txt.txt"},
        {"notes", "", "notes"},
        {"notes.txt", "", "notes.txt"},
        {"notes.md", "", "notes.md"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed + " / " + c.suffix);
        EXPECT_EQ(nameWithExtension(c.typed, c.suffix, &types), c.expected);
    }
    // Without the desktop's types only the template's extension counts.
    EXPECT_EQ(nameWithExtension("notes.md", "txt"), "notes.md.txt");
}

TEST_F(NewItemNameTest, APlainNameBecomesTheItemWithItsExtension) {
    Expected<TypedTarget> typed = resolveTypedName(dir, "report", "txt");
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed->kind, TypedTarget::Kind::Create);
    EXPECT_EQ(typed->path, dir + "/report.txt");
    EXPECT_FALSE(typed->exists);

    // The check for an existing item is made on the final name.
    test::writeFile(dir + "/report.txt", "old");
    typed = resolveTypedName(dir, "report", "txt");
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed->kind, TypedTarget::Kind::Create);
    EXPECT_TRUE(typed->exists);

    // "report" itself existing does not matter when ".txt" is added.
    test::writeFile(dir + "/plan", "");
    typed = resolveTypedName(dir, "plan", "txt");
    ASSERT_TRUE(typed);
    EXPECT_FALSE(typed->exists);
}

TEST_F(NewItemNameTest, ADanglingLinkTakesTheName) {
    ASSERT_EQ(::symlink("/nonexistent/target", (dir + "/link.txt").c_str()), 0);
    const Expected<TypedTarget> typed = resolveTypedName(dir, "link", "txt");
    ASSERT_TRUE(typed);
    EXPECT_EQ(typed->kind, TypedTarget::Kind::Create);
    EXPECT_TRUE(typed->exists);
}

TEST_F(NewItemNameTest, AFolderOpensTheFolderAndAPathPutsTheItemThere) {
    xdg.makeDir("Documents/sub");
    struct Case {
        std::string currentDir;
        std::string text;
        std::string suffix;
        TypedTarget::Kind kind;
        std::string path;
    };
    const Case cases[] = {
        {dir, "sub", "txt", TypedTarget::Kind::Navigate, dir + "/sub"},
        {dir + "/sub", "..", "", TypedTarget::Kind::Navigate, dir},
        {dir, xdg.root() + "/", "txt", TypedTarget::Kind::Navigate, xdg.root()},
        {dir, "sub/x", "txt", TypedTarget::Kind::Create, dir + "/sub/x.txt"},
        {"/elsewhere", dir + "/y.md", "md", TypedTarget::Kind::Create, dir + "/y.md"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.currentDir + " + " + c.text);
        const Expected<TypedTarget> typed = resolveTypedName(c.currentDir, c.text, c.suffix);
        ASSERT_TRUE(typed);
        EXPECT_EQ(typed->kind, c.kind);
        EXPECT_EQ(typed->path, c.path);
    }
}

TEST_F(NewItemNameTest, NamesThatCannotBeCreatedSayWhy) {
    struct Case {
        std::string text;
        std::string pattern; // the English text the panel translates
        std::string subject; // what fills in its "%@"
    };
    const Case cases[] = {
        {"", "Type a name for the new item.", ""},
        {"missing/x", "The folder “%@” does not exist.", dir + "/missing"},
        {"gone/", "The folder “%@” does not exist.", dir + "/gone"},
        // 252 letters fit alone but not with ".txt".
        {std::string(252, 'a'), "The name “%@” is too long.", std::string(252, 'a') + ".txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Expected<TypedTarget> typed = resolveTypedName(dir, c.text, "txt");
        ASSERT_FALSE(typed);
        EXPECT_EQ(typed.error().detail(), c.pattern);
        EXPECT_EQ(typed.error().path(), c.subject);
    }
    EXPECT_TRUE(resolveTypedName(dir, std::string(251, 'a'), "txt"));
}

} // namespace
} // namespace quillet::helper
