// A chosen entry: which folder the request names, and the URL it sends.
#include "finder_sync_fixture.h"

#include "shared/request_url.h"

#include <filesystem>
#include <fstream>

namespace quillet::test {
namespace {

class MenuActionTest : public FinderSyncFixture {
protected:
    void SetUp() override {
        folder = xdg.makeDir("window");
        std::ofstream(folder + "/doc.txt") << "x";
        std::filesystem::create_directory(folder + "/sub");
        std::filesystem::create_directory(folder + "/sub2");
        start();
    }

    // The URL sent, or nothing when the choice was refused.
    std::optional<std::string> choose(const std::string& action, std::optional<std::string> target,
                                      std::vector<std::string> selected = {}) {
        Expected<std::string> sent =
            sync->menuItemAction(action, FinderSelection{std::move(target), std::move(selected)});
        if (!sent) {
            EXPECT_EQ(sent.error().code(), std::errc::invalid_argument);
            return std::nullopt;
        }
        return *sent;
    }

    std::string folder;
};

TEST_F(MenuActionTest, TheIndexComesFromTheActionName) {
    EXPECT_EQ(choose("menuItemAction1", folder), "quillet://" + folder + "?1");
    EXPECT_EQ(choose("menuItemAction2", folder), "quillet://" + folder + "?2");
    EXPECT_EQ(choose("menuItemAction18446744073709551615", folder),
              "quillet://" + folder + "?18446744073709551615");
    EXPECT_EQ(sender.sent,
              (std::vector<std::string>{"quillet://" + folder + "?1", "quillet://" + folder + "?2",
                                        "quillet://" + folder + "?18446744073709551615"}));
}

TEST_F(MenuActionTest, NamesWithoutAnIndexSendNothing) {
    for (std::string name :
         {"menuItemAction", "menuItemActionx", "menuItemAction-1", "menuItemAction1x",
          "menuItemAction+1", "menuItemAction 1", "menuItemAction18446744073709551616", "other"}) {
        EXPECT_EQ(choose(name, folder), std::nullopt) << name;
    }
    EXPECT_TRUE(sender.sent.empty());
}

TEST_F(MenuActionTest, ASingleSelectedFolderWinsOverTheTargetedOne) {
    struct Case {
        const char* what;
        std::vector<std::string> selected;
        std::string expectedFolder;
    };
    const std::vector<Case> cases = {
        {"one folder", {folder + "/sub"}, folder + "/sub"},
        {"one folder, trailing slash", {folder + "/sub/"}, folder + "/sub"},
        {"one document", {folder + "/doc.txt"}, folder},
        {"two folders", {folder + "/sub", folder + "/sub2"}, folder},
        {"folder gone since the menu was built", {folder + "/removed"}, folder},
        {"nothing selected", {}, folder},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto url = choose("menuItemAction0", folder, c.selected);
        ASSERT_TRUE(url);
        auto request = parseRequestURL(*url);
        ASSERT_TRUE(request);
        EXPECT_EQ(request->folderPath, c.expectedFolder);
        EXPECT_EQ(request->index, 0);
    }
}

TEST_F(MenuActionTest, NoKnownFolderSendsNothing) {
    EXPECT_EQ(choose("menuItemAction0", std::nullopt, {folder + "/doc.txt"}), std::nullopt);
    EXPECT_EQ(choose("menuItemAction0", std::nullopt), std::nullopt);
    EXPECT_EQ(choose("menuItemAction0", std::string("relative/folder")), std::nullopt);
    EXPECT_TRUE(sender.sent.empty());
    // A selected folder is known even without a targeted one.
    EXPECT_TRUE(choose("menuItemAction0", std::nullopt, {folder + "/sub"}));
}

TEST_F(MenuActionTest, FolderNamesSurviveTheEscapingExactly) {
    std::string spaced = xdg.makeDir("window/My Folder/Données ünd 日本");
    auto url = choose("menuItemAction3", spaced);
    ASSERT_TRUE(url);
    EXPECT_EQ(url->find(' '), std::string::npos);
    EXPECT_NE(url->find("My%20Folder/Donn%C3%A9es%20%C3%BCnd%20%E6%97%A5%E6%9C%AC?3"),
              std::string::npos)
        << *url;
    EXPECT_TRUE(url->starts_with("quillet:///"));

    for (std::string name : {"100% done", "what?", "#1", "a+b&c=d;e", "tab\there", "x%2Fy"}) {
        SCOPED_TRACE(name);
        std::string dir = xdg.makeDir("window/" + name);
        auto sent = choose("menuItemAction0", dir);
        ASSERT_TRUE(sent);
        auto request = parseRequestURL(*sent);
        ASSERT_TRUE(request);
        EXPECT_EQ(request->folderPath, dir);
        EXPECT_EQ(request->index, 0);
    }

    auto root = choose("menuItemAction4", std::string("/"));
    EXPECT_EQ(root, "quillet:///?4");
}

} // namespace
} // namespace quillet::test
