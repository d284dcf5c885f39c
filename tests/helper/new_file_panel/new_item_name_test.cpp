#include "helper/core/new_file_panel/new_item_name.h"

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

TEST_F(NewItemNameTest, DefaultNameIsUniqueAndShowsNoHiddenExtension) {
    struct Case {
        std::string prefix, suffix;
        std::vector<std::string> taken;
        std::string field, file;
    };
    const std::vector<Case> cases = {
        {"untitled", "txt", {}, "untitled", "untitled.txt"},
        {"untitled", "txt", {"untitled.txt", "untitled-1.txt"}, "untitled-2", "untitled-2.txt"},
        {"Makefile", "", {"Makefile"}, "Makefile-1", "Makefile-1"},
        // Without a suffix nothing is hidden, so a dot in the prefix stays.
        {"archive.tar", "", {}, "archive.tar", "archive.tar"},
        {"a", "tar.gz", {}, "a", "a.tar.gz"},
        {"a", "tar.gz", {"a.tar.gz"}, "a.tar-1", "a.tar-1.gz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prefix + " / " + c.suffix);
        const std::string folder = xdg.makeDir("case-" + c.prefix + c.suffix + c.field);
        for (const auto& name : c.taken) {
            test::writeFile(folder + "/" + name, "");
        }
        const DefaultName name = defaultNameIn(folder, makeTemplate(c.prefix, c.suffix));
        EXPECT_EQ(name.fieldText, c.field);
        EXPECT_EQ(name.path, folder + "/" + c.file);
    }
}

TEST(NameWithExtensionTest, AddsTheExtensionOnlyWhenTheNameLacksIt) {
    struct Case {
        std::string typed, suffix, expected;
    };
    const std::vector<Case> cases = {
        {"notes", "txt", "notes.txt"},
        {"notes.txt", "txt", "notes.txt"},
        {"Notes.TXT", "txt", "Notes.TXT"},
        {"notes.md", "txt", "notes.md.txt"},
        {"notes.txt.bak", "txt", "notes.txt.bak.txt"},
        {".txt", "txt", ".txt.txt"},
        {"notes", "", "notes"},
        {"notes.txt", "", "notes.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed + " / " + c.suffix);
        EXPECT_EQ(nameWithExtension(c.typed, c.suffix), c.expected);
    }
}

TEST_F(NewItemNameTest, APlainNameBecomesTheItemWithItsExtension) {
    TypedName typed = resolveTypedName(dir, "report", "txt");
    EXPECT_EQ(typed.kind, TypedName::Kind::Target);
    EXPECT_EQ(typed.path, dir + "/report.txt");
    EXPECT_FALSE(typed.exists);

    // The check for an existing item is made on the final name.
    test::writeFile(dir + "/report.txt", "old");
    typed = resolveTypedName(dir, "report", "txt");
    EXPECT_EQ(typed.kind, TypedName::Kind::Target);
    EXPECT_TRUE(typed.exists);

    // "report" itself existing does not matter when ".txt" is added.
    test::writeFile(dir + "/plan", "");
    typed = resolveTypedName(dir, "plan", "txt");
    EXPECT_FALSE(typed.exists);
}

TEST_F(NewItemNameTest, ADanglingLinkTakesTheName) {
    ASSERT_EQ(::symlink("/nonexistent/target", (dir + "/link.txt").c_str()), 0);
    const TypedName typed = resolveTypedName(dir, "link", "txt");
    EXPECT_EQ(typed.kind, TypedName::Kind::Target);
    EXPECT_TRUE(typed.exists);
}

TEST_F(NewItemNameTest, AFolderNameOpensTheFolder) {
    xdg.makeDir("Documents/sub");
    TypedName typed = resolveTypedName(dir, "sub", "txt");
    EXPECT_EQ(typed.kind, TypedName::Kind::Navigate);
    EXPECT_EQ(typed.path, dir + "/sub");

    typed = resolveTypedName(dir + "/sub", "..", "");
    EXPECT_EQ(typed.kind, TypedName::Kind::Navigate);
    EXPECT_EQ(typed.path, dir);

    typed = resolveTypedName(dir, xdg.root() + "/", "txt");
    EXPECT_EQ(typed.kind, TypedName::Kind::Navigate);
    EXPECT_EQ(typed.path, xdg.root());
}

TEST_F(NewItemNameTest, APathPutsTheItemInThatFolder) {
    xdg.makeDir("Documents/sub");
    TypedName typed = resolveTypedName(dir, "sub/x", "txt");
    EXPECT_EQ(typed.kind, TypedName::Kind::Target);
    EXPECT_EQ(typed.path, dir + "/sub/x.txt");

    typed = resolveTypedName("/elsewhere", dir + "/y.md", "md");
    EXPECT_EQ(typed.kind, TypedName::Kind::Target);
    EXPECT_EQ(typed.path, dir + "/y.md");
}

TEST_F(NewItemNameTest, NamesThatCannotBeCreatedSayWhy) {
    TypedName typed = resolveTypedName(dir, "", "txt");
    EXPECT_EQ(typed.kind, TypedName::Kind::Invalid);
    EXPECT_FALSE(typed.message.empty());

    typed = resolveTypedName(dir, "missing/x", "txt");
    EXPECT_EQ(typed.kind, TypedName::Kind::Invalid);
    EXPECT_EQ(typed.message, "The folder “%@” does not exist.");
    EXPECT_EQ(typed.detail, dir + "/missing");

    typed = resolveTypedName(dir, "gone/", "txt");
    EXPECT_EQ(typed.kind, TypedName::Kind::Invalid);
    EXPECT_EQ(typed.detail, dir + "/gone");

    // 252 letters fit alone but not with ".txt".
    typed = resolveTypedName(dir, std::string(252, 'a'), "txt");
    EXPECT_EQ(typed.kind, TypedName::Kind::Invalid);
    EXPECT_EQ(typed.message, "The name “%@” is too long.");
    EXPECT_EQ(resolveTypedName(dir, std::string(251, 'a'), "txt").kind, TypedName::Kind::Target);
}

} // namespace
} // namespace quillet::helper
