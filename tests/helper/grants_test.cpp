// Folder grants: the authorisation panel, saved grants, access to them.
#include "helper_fixture.h"

#include "shared/folder_bookmark.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;
using helper::AppDelegate;

class GrantsTest : public HelperFixture {
protected:
    void SetUp() override {
        setTemplates({templateRecord("untitled", "txt", templatesDir + "/Text.txt")});
        setOption(keys::kSkipFilename, true);
        record = templateRecord("untitled", "txt", templatesDir + "/Text.txt");
    }

    std::size_t grantCount() {
        return shared.arrayForKey(keys::kAuthorizedDirs).value_or(Value::Array{}).size();
    }

    Value record;
};

TEST_F(GrantsTest, TheSeparatorIsPartOfTheSuitabilityTest) {
    struct Row {
        const char* chosen;
        const char* folder;
        bool covers;
    } rows[] = {
        {"/Data/Work", "/Data/Work", true},  {"/Data", "/Data/Work", true},
        {"/Data/Wo", "/Data/Work", false},   {"/Data/Work/sub", "/Data/Work", false},
        {"/Data/Work/", "/Data/Work", true}, {"/Data/", "/Data/Work/", true},
        {"/", "/Data/Work", true},           {"/Other", "/Data/Work", false},
        {"", "/Data/Work", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.chosen) + " for " + row.folder);
        EXPECT_EQ(AppDelegate::grantCovers(row.chosen, row.folder), row.covers);
    }
}

TEST_F(GrantsTest, AGrantIsNotSavedOverASettingsFileThatCannotBeRead) {
    auto& d = start();
    const std::string unreadable = "{\"fileTemplates\": [";
    std::ofstream(shared.filePath(), std::ios::binary | std::ios::trunc) << unreadable;
    const Status saved = d.saveAuthorizedURL(work);
    ASSERT_FALSE(saved);
    EXPECT_NE(saved.error().reason().find(shared.filePath()), std::string::npos);
    EXPECT_EQ(readFile(shared.filePath()), unreadable);
    for (const auto& entry : std::filesystem::directory_iterator(xdg.configHome() + "/quillet")) {
        EXPECT_EQ(entry.path().string().find(".corrupt-"), std::string::npos) << entry.path();
    }
}

TEST_F(GrantsTest, ThePanelAsksWithItsTextsAndOpensAtHomeForFoldersBelowIt) {
    ASSERT_TRUE(shared.setObject(keys::kLocalizedStrings,
                                 Value(Value::Dictionary{{"Quillet", "My Quillet"}})));
    auto& d = start();
    d.showAuthorizationPanel(work, record);
    ASSERT_EQ(panels.opened().size(), 1u);
    const auto& options = panels.opened()[0].options;
    EXPECT_EQ(options.title, "My Quillet");
    EXPECT_EQ(options.message, "Quillet would like to access your working directory.");
    EXPECT_EQ(options.prompt, "Authorize");
    EXPECT_TRUE(options.canChooseDirectories);
    EXPECT_FALSE(options.canChooseFiles);
    EXPECT_EQ(options.directory, xdg.home() + "/");
    EXPECT_EQ(privateDefaults.stringForKey("NSNavLastRootDirectory"), xdg.home() + "/");
    EXPECT_EQ(privateDefaults.stringForKey("NSNavLastCurrentDirectory"), xdg.home() + "/");
    // Counted while it is open.
    EXPECT_EQ(d.panelCount(), 1);
    panels.cancel();
    EXPECT_EQ(d.panelCount(), 0);
    EXPECT_EQ(grantCount(), 0u);
    EXPECT_TRUE(std::filesystem::is_empty(work));
}

TEST_F(GrantsTest, AFolderOutsideHomeOpensThePanelAtItself) {
    std::string outside = xdg.makeDir("srv/data");
    start().showAuthorizationPanel(outside, record);
    EXPECT_EQ(panels.opened().at(0).options.directory, outside);
}

TEST_F(GrantsTest, GrantingAParentSavesOneRecordAndCreatesTheItem) {
    std::string deep = xdg.makeDir("home/Work/deep");
    auto& d = start();
    d.showAuthorizationPanel(deep, record);
    ASSERT_TRUE(panels.choose(xdg.home()));
    EXPECT_TRUE(exists(deep + "/untitled.txt"));
    auto records = shared.arrayForKey(keys::kAuthorizedDirs).value();
    ASSERT_EQ(records.size(), 1u);
    auto saved = AuthorizedDir::fromValue(records[0]);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->path, xdg.home());
    EXPECT_EQ(folderForBookmark(saved->bookmarkData).valueOr(""), xdg.home());

    // The same grant again leaves one record.
    d.showAuthorizationPanel(deep, record);
    panels.choose(xdg.home());
    EXPECT_EQ(grantCount(), 1u);
    EXPECT_TRUE(exists(deep + "/untitled-1.txt"));
}

TEST_F(GrantsTest, AnUnsuitableChoiceIsRefusedWithTheFolderInTheMessage) {
    std::string data = xdg.makeDir("home/Data/Work");
    xdg.makeDir("home/Data/Wo");
    auto& d = start();
    d.showAuthorizationPanel(data, record);
    panels.choose(xdg.home() + "/Data/Wo");
    queue.advance(300ms);
    ASSERT_EQ(alerts.shown().size(), 1u);
    EXPECT_EQ(alerts.shown()[0].title, "Unable to create file!");
    EXPECT_EQ(alerts.shown()[0].message,
              "Please select \"" + data + "\" or one of its parent directories.");
    EXPECT_EQ(grantCount(), 0u);
    EXPECT_TRUE(std::filesystem::is_empty(data));
}

TEST_F(GrantsTest, AGrantThatStillCannotBeWrittenSaysWhyAfterwards) {
    // The grant is kept, but the folder is no more writable than before.
    writeFile(work + "/file", "x", 0644);
    auto& d = start();
    d.showAuthorizationPanel(work + "/file/sub", record);
    panels.choose(work);
    queue.advance(300ms);
    ASSERT_EQ(alerts.shown().size(), 1u);
    EXPECT_EQ(alerts.shown()[0].title, "Error creating file!");
    EXPECT_EQ(grantCount(), 1u);
}

TEST_F(GrantsTest, AnUnwritableFolderOpensThePanelInsteadOfCreating) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root can write every folder";
    }
    std::string locked = xdg.makeDir("home/locked");
    ::chmod(locked.c_str(), 0555);
    start().handleURLEvent(url(locked, "0"));
    EXPECT_EQ(panels.openCount(), 1u);
    EXPECT_TRUE(std::filesystem::is_empty(locked));
}

TEST_F(GrantsTest, SavedGrantsAreOpenedAtStartAndReopenedOnMountChanges) {
    std::string kept = xdg.makeDir("home/kept");
    std::string gone = xdg.makeDir("home/gone");
    Value::Array records;
    for (const auto& path : {kept, gone}) {
        records.push_back(AuthorizedDir{path, *bookmarkForFolder(path)}.toValue());
    }
    ASSERT_TRUE(shared.setObject(keys::kAuthorizedDirs, Value(records)));
    std::filesystem::remove(gone);

    auto& d = start();
    EXPECT_EQ(d.openedURLs(), (std::set<std::string>{kept}));
    // An unresolvable grant is skipped, not removed.
    EXPECT_EQ(grantCount(), 2u);

    std::string later = xdg.makeDir("home/later");
    records.push_back(AuthorizedDir{later, *bookmarkForFolder(later)}.toValue());
    ASSERT_TRUE(shared.setObject(keys::kAuthorizedDirs, Value(records)));
    volumes.fireMount("/media/usb");
    queue.runPending();
    EXPECT_EQ(d.openedURLs(), (std::set<std::string>{kept, later}));
    std::filesystem::remove(later);
    volumes.fireUnmount("/media/usb");
    queue.runPending();
    EXPECT_EQ(d.openedURLs(), (std::set<std::string>{kept}));
}

} // namespace
} // namespace quillet::test
