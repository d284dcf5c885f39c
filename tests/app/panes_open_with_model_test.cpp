// The open-with menu: its placeholders and its background search.
#include "app/core/preferences/open_with_model.h"

#include "support/fakes.h"

#include <gtest/gtest.h>

namespace quillet::app {
namespace {

TEST(OpenWithModel, FetchesOffTheMainThreadAndKeepsOnlyTheLatestSearch) {
    test::FakeWorkspace workspace;
    test::FakeMainQueue queue;
    workspace.applicationsByExtension["txt"] = {
        {"editor.desktop", "Editor", "accessories-text-editor"}, {"viewer.desktop", "Viewer", ""}};
    std::vector<std::function<void()>> background;
    OpenWithModel model(
        workspace, queue,
        [&](std::function<void()> task) { background.push_back(std::move(task)); }, nullptr);
    std::vector<OpenWithModel::Menu> updates;
    auto update = [&](const OpenWithModel::Menu& menu) { updates.push_back(menu); };

    EXPECT_EQ(model.menuWillOpen(std::nullopt, update).placeholder, "No application available");
    EXPECT_TRUE(background.empty());

    EXPECT_EQ(model.menuWillOpen("/t/a.zzz", update).placeholder, "Fetching...");
    EXPECT_EQ(model.menuWillOpen("/t/a.txt", update).placeholder, "Fetching...");
    for (auto& task : background) {
        task();
    }
    queue.runPending();
    ASSERT_EQ(updates.size(), 1u) << "the overtaken search is dropped";
    EXPECT_EQ(updates[0].apps.size(), 2u);
    EXPECT_TRUE(model.openFileWithApp(1, "/t/a.txt").ok());
    const Status outOfRange = model.openFileWithApp(2, "/t/a.txt");
    ASSERT_FALSE(outOfRange);
    EXPECT_EQ(outOfRange.error().path(), "/t/a.txt");
    EXPECT_EQ(workspace.openedWith.back(),
              (std::pair<std::string, std::string>{"/t/a.txt", "viewer.desktop"}));

    background.clear();
    model.menuWillOpen("/t/b.zzz", update);
    background.front()();
    queue.runPending();
    EXPECT_EQ(updates.back().placeholder, "No application available");
    EXPECT_TRUE(model.associatedApps().empty());
}

} // namespace
} // namespace quillet::app
