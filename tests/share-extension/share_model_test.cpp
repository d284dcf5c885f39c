// The share entry's rules: which path an argument names, where the new file
// goes, and which template index the request carries.
#include "share-extension/core/share_model.h"

#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/records.h"
#include "shared/request_url.h"
#include "temp_xdg.h"

#include <gtest/gtest.h>

#include <fstream>

namespace quillet::share {
namespace {

Value record(const char* title, bool enabled, const char* suffix = "txt") {
    return FileTemplate{.enabled = enabled,
                        .title = title,
                        .filePath = std::string("/t/") + title,
                        .prefix = title,
                        .suffix = suffix}
        .toValue();
}

TEST(SharePathTest, ArgumentsNameLocalPaths) {
    struct Case {
        const char* argument;
        std::optional<std::string> path;
    } cases[] = {
        {"/home/me/list.txt", "/home/me/list.txt"},
        {"file:///home/me/My%20Projects", "/home/me/My Projects"},
        {"file://localhost/home/me/a%23b", "/home/me/a#b"},
        {"file:/home/me/x", "/home/me/x"},
        {"file://otherhost/home/me/x", std::nullopt},
        {"sftp://host/home/me/x", std::nullopt},
        {"notes.txt", "/cwd/notes.txt"},
        {"sub dir/a:b.txt", "/cwd/sub dir/a:b.txt"},
        // The helper refuses "." and ".." in a folder path: resolved here.
        {".", "/cwd"},
        {"..", "/"},
        {"./notes.txt", "/cwd/notes.txt"},
        {"sub/../notes.txt", "/cwd/notes.txt"},
        {"sub/", "/cwd/sub"},
        {"/home/me/./x/", "/home/me/x"},
        {"file:///home/me/a/../b", "/home/me/b"},
        {"-platform", "/cwd/-platform"},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argument);
        const Expected<std::string> path = pathFromArgument(c.argument, "/cwd");
        EXPECT_EQ(path.ok(), c.path.has_value());
        if (path && c.path) {
            EXPECT_EQ(*path, *c.path);
        }
    }
}

TEST(ShareModelTest, RequestGoesBesideAFileIntoAFolderOrToAMissingPath) {
    test::TempXdg xdg;
    const std::string notes = xdg.makeDir("Notes");
    std::ofstream(notes + "/list.txt") << "x";
    const std::string projects = xdg.makeDir("My Projects");
    SettingsStore store(ids::kSuiteName);
    ASSERT_TRUE(store.setObject(
        keys::kFileTemplates,
        Value(Value::Array{record("A", true), record("B", false), record("C", true)})));
    struct Case {
        std::vector<std::string> arguments;
        std::size_t row;
        std::string folder;
        std::size_t index;
    } cases[] = {
        {{notes + "/list.txt"}, 1, notes, 2},
        {{notes + "/list.txt"}, 0, notes, 0},
        {{projects}, 0, projects, 0},
        {{projects + "/"}, 1, projects, 2},
        // An item that is not there names no place; the last one that does wins.
        {{projects, xdg.root() + "/gone"}, 0, projects, 0},
        // Several items: the last one names the place.
        {{projects, "file://" + notes + "/list.txt"}, 0, notes, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.back());
        ShareModel model;
        model.loadTemplates(store);
        model.loadURLs(c.arguments, "/");
        ASSERT_EQ(model.templates().size(), 2u);
        EXPECT_EQ(model.templates()[1].title, "C");
        EXPECT_TRUE(model.canSend());
        EXPECT_EQ(model.requestURLForRow(c.row).valueOr(""), makeRequestURL(c.folder, c.index));
    }
    ShareModel model;
    model.loadTemplates(store);
    model.loadURLs({projects}, "/");
    EXPECT_EQ(*model.requestURLForRow(1),
              "quillet://" + percentEncodePath(xdg.root()) + "/My%20Projects?2");
}

TEST(ShareModelTest, ItemsThatAreNotThereAreRefusedAsMissing) {
    test::TempXdg xdg;
    const std::string notes = xdg.makeDir("Notes");
    ShareModel model;
    model.loadURLs({"gone.txt", "-platform", "sftp://host/x", "Notes"}, xdg.root());
    EXPECT_EQ(model.selectedPath(), notes);
    ASSERT_EQ(model.refusedArguments().size(), 3u);
    EXPECT_EQ(model.refusedArguments()[0].code(), std::errc::no_such_file_or_directory);
    EXPECT_EQ(model.refusedArguments()[0].userText(),
              "No such file or directory (" + xdg.root() + "/gone.txt)");
    EXPECT_EQ(model.refusedArguments()[1].path(), xdg.root() + "/-platform");
    EXPECT_EQ(model.refusedArguments()[2].reason(), "not a local file");
}

TEST(ShareModelTest, TemplatesKeptForAFolderAreOfferedOnlyForItemsThere) {
    test::TempXdg xdg;
    const std::string project = xdg.makeDir("Project");
    std::ofstream(project + "/plan.txt") << "x";
    const std::string other = xdg.makeDir("Other");
    FileTemplate minutes = *FileTemplate::fromValue(record("Minutes", true, "md"));
    minutes.limitedToPaths = {project};
    SettingsStore store(ids::kSuiteName);
    ASSERT_TRUE(store.setObject(keys::kFileTemplates,
                                Value(Value::Array{record("A", true), minutes.toValue()})));
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> titles;
        std::optional<std::size_t> minutesIndex;
    } cases[] = {
        {{}, {"A", "Minutes"}, 1},
        {{project}, {"A", "Minutes"}, 1},
        {{project + "/plan.txt"}, {"A", "Minutes"}, 1},
        {{other}, {"A"}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? "(nothing shared yet)" : c.arguments.back());
        ShareModel model;
        model.loadTemplates(store);
        model.loadURLs(c.arguments, "/");
        std::vector<std::string> titles;
        for (const auto& t : model.templates()) {
            titles.push_back(t.title);
        }
        EXPECT_EQ(titles, c.titles);
        if (c.minutesIndex) {
            EXPECT_EQ(model.templateIndexForRow(1), c.minutesIndex) << "the stored index";
        }
    }
}

TEST(ShareModelTest, NothingToSendWithoutPathRowOrTemplates) {
    test::TempXdg xdg;
    SettingsStore store(ids::kSuiteName);
    ASSERT_TRUE(store.setObject(
        keys::kFileTemplates,
        Value(Value::Array{record("A", false), record("B", true), record("B", true)})));
    ShareModel model;
    model.loadTemplates(store);
    EXPECT_FALSE(model.canSend());
    EXPECT_FALSE(model.requestURLForRow(0));
    model.loadURLs({"sftp://host/x"}, "/");
    EXPECT_EQ(model.selectedPath(), "");
    model.loadURLs({"/tmp"}, "/");
    EXPECT_FALSE(model.requestURLForRow(std::nullopt));
    EXPECT_FALSE(model.requestURLForRow(5));
    // Two equal records: the second row names the first one's index.
    EXPECT_EQ(model.templateIndexForRow(1), 1u);

    ASSERT_TRUE(store.setObject(keys::kFileTemplates, Value(Value::Array{record("A", false)})));
    ShareModel none;
    none.loadTemplates(store);
    none.loadURLs({"/tmp"}, "/");
    EXPECT_FALSE(none.hasTemplates());
    EXPECT_FALSE(none.canSend());
}

} // namespace
} // namespace quillet::share
