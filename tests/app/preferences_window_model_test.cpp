// The preferences window's rules without a window: selection, sizes, next
// and previous, and what is remembered.
#include "app/core/preferences/preferences_window_model.h"
#include "shared/settings_store.h"
#include "temp_xdg.h"

#include <gtest/gtest.h>

namespace quillet::test {
namespace {

using app::PaneEntry;
using app::PreferencesWindowModel;
using app::Rect;
using app::Size;
using Kind = PreferencesWindowModel::Change::Kind;

const Size kChrome{0, 40};
const Rect kWindow{{100, 200}, {400, 340}};

class PreferencesWindowModelTest : public ::testing::Test {
protected:
    PreferencesWindowModel model(std::optional<std::string> title = "Quillet Preferences") {
        return PreferencesWindowModel({PaneEntry{"General", "General", false, false},
                                       PaneEntry{"Templates", "Templates", true, true},
                                       std::nullopt, PaneEntry{"Finder", "Locations", true, false},
                                       PaneEntry{"Localization", "Localization", false, true}},
                                      std::move(title), defaults);
    }
    static bool commit(std::size_t) { return true; }

    TempXdg xdg;
    SettingsStore defaults{SettingsStore::atPath(xdg.root() + "/private.json")};
};

TEST_F(PreferencesWindowModelTest, TheFirstPaneIsSelectedWhenNoneIsRemembered) {
    auto m = model();
    EXPECT_EQ(m.restoredSelection(), 0u);
    EXPECT_EQ(m.indexOfSelectedController(), PreferencesWindowModel::kNotFound);
    auto change = m.select(0, commit, {400, 300}, kWindow, kChrome);
    EXPECT_EQ(change.kind, Kind::Selected);
    EXPECT_FALSE(change.windowTitle); // a given title stays
    EXPECT_EQ(defaults.stringForKey(PreferencesWindowModel::kSelectedKey), "General");
    EXPECT_EQ(m.toolbarItemIdentifiers(),
              (std::vector<std::string>{"General", "Templates", "NSToolbarFlexibleSpaceItem",
                                        "Finder", "Localization"}));

    auto untitled = model(std::nullopt);
    EXPECT_EQ(untitled.select(3, commit, {400, 300}, kWindow, kChrome).windowTitle, "Locations");
}

TEST_F(PreferencesWindowModelTest, TheRememberedPaneAndPositionAreRestored) {
    ASSERT_TRUE(defaults.setString(PreferencesWindowModel::kSelectedKey, "Finder"));
    ASSERT_TRUE(defaults.setString(PreferencesWindowModel::kTopLeftKey, "{120, 80}"));
    auto m = model();
    EXPECT_EQ(m.restoredSelection(), 3u);
    EXPECT_EQ(m.savedTopLeft(), (app::Point{120, 80}));

    ASSERT_TRUE(defaults.setString(PreferencesWindowModel::kSelectedKey, "Gone"));
    ASSERT_TRUE(defaults.setString(PreferencesWindowModel::kTopLeftKey, "somewhere"));
    EXPECT_EQ(m.restoredSelection(), 0u);
    EXPECT_FALSE(m.savedTopLeft());
}

TEST_F(PreferencesWindowModelTest, SizesFollowResizabilityMinimumAndSavedSize) {
    auto m = model();
    // Fixed both ways: the window fits the pane exactly, top-left kept.
    auto fixed = m.select(0, commit, {400, 300}, kWindow, kChrome);
    EXPECT_EQ(fixed.layout.minimumPaneSize, (Size{400, 300}));
    EXPECT_EQ(fixed.layout.maximumPaneSize, (Size{400, 300}));
    EXPECT_FALSE(fixed.layout.resizable);
    EXPECT_EQ(fixed.layout.windowFrame, (Rect{{100, 200}, {400, 340}}));

    // Resizable: the user widens it; it comes back at that width.
    auto wide = m.select(1, commit, {500, 350}, kWindow, kChrome);
    EXPECT_EQ(wide.layout.maximumPaneSize.width, PreferencesWindowModel::kUnlimited);
    EXPECT_TRUE(wide.layout.resizable);
    m.windowDidResize({700, 420});
    EXPECT_EQ(defaults.stringForKey(PreferencesWindowModel::frameKey("Templates")),
              "{{0, 0}, {700, 420}}");
    m.select(0, commit, {400, 300}, kWindow, kChrome);
    auto back = m.select(1, commit, {400, 300}, {{100, 200}, {400, 340}}, kChrome);
    EXPECT_EQ(back.layout.paneFrame.size, (Size{700, 420}));
    EXPECT_EQ(back.layout.minimumPaneSize, (Size{500, 350})); // the first selection's size
    EXPECT_EQ(back.layout.windowFrame, (Rect{{100, 200}, {700, 460}}));

    // Never narrower than its minimum, even when saved smaller; a direction
    // that is not resizable takes the minimum.
    ASSERT_TRUE(
        defaults.setString(PreferencesWindowModel::frameKey("Finder"), "{{0, 0}, {10, 900}}"));
    auto finder = m.select(3, commit, {450, 320}, kWindow, kChrome);
    EXPECT_EQ(finder.layout.paneFrame.size, (Size{450, 320}));
    EXPECT_EQ(finder.layout.maximumPaneSize, (Size{PreferencesWindowModel::kUnlimited, 320}));

    // After a restart (a new model) the saved size still wins over the view's.
    auto restarted = model();
    auto again = restarted.select(1, commit, {500, 350}, kWindow, kChrome);
    EXPECT_EQ(again.layout.paneFrame.size, (Size{700, 420}));
}

TEST_F(PreferencesWindowModelTest, APaneThatKeepsItsEditsKeepsTheWindow) {
    auto m = model();
    m.select(1, commit, {400, 300}, kWindow, kChrome);
    auto refused = m.select(
        0, [](std::size_t) { return false; }, {400, 300}, kWindow, kChrome);
    EXPECT_EQ(refused.kind, Kind::Refused);
    EXPECT_EQ(m.selected(), 1u);
    EXPECT_FALSE(m.shouldClose([](std::size_t) { return false; }));
    EXPECT_TRUE(m.shouldClose(commit));

    // An identifier that names no pane clears the selection.
    auto cleared = m.selectIdentifier("Nothing", commit, {}, kWindow, kChrome);
    EXPECT_EQ(cleared.kind, Kind::Cleared);
    EXPECT_EQ(cleared.previous, 1u);
    EXPECT_FALSE(m.selected());
    EXPECT_TRUE(m.shouldClose([](std::size_t) { return false; }));
    // A space or an index past the end is no selection at all.
    EXPECT_EQ(m.select(2, commit, {}, kWindow, kChrome).kind, Kind::Unchanged);
    EXPECT_EQ(m.select(9, commit, {}, kWindow, kChrome).kind, Kind::Unchanged);
}

TEST_F(PreferencesWindowModelTest, NextAndPreviousWrapAndSkipSpaces) {
    struct Case {
        std::size_t from;
        bool forward;
        std::size_t to;
    } cases[] = {
        {0, true, 1}, {1, true, 3}, {4, true, 0}, {0, false, 4}, {3, false, 1}, {1, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + (c.forward ? " next" : " previous"));
        auto m = model();
        m.select(c.from, commit, {400, 300}, kWindow, kChrome);
        EXPECT_EQ(m.nextIndex(c.forward), c.to);
    }
}

TEST_F(PreferencesWindowModelTest, MovingAndGeometryTextRoundTrip) {
    auto m = model();
    m.windowDidMove({12, 34.5});
    EXPECT_EQ(defaults.stringForKey(PreferencesWindowModel::kTopLeftKey), "{12, 34.5}");
    EXPECT_EQ(m.savedTopLeft(), (app::Point{12, 34.5}));
    m.windowDidResize({1, 1}); // nothing selected: nothing written
    EXPECT_TRUE(defaults.storedValues().size() == 1);

    struct Case {
        const char* text;
        bool valid;
    } rects[] = {{"{{0, 0}, {10, 20}}", true},  {"{{-5, 3}, {1.5, 2}}", true},
                 {"{{0, 0}, {-1, 2}}", false},  {"{{0, 0}, {1}}", false},
                 {"{{0, 0}, {1, 2}} x", false}, {"", false}};
    for (const auto& c : rects) {
        SCOPED_TRACE(c.text);
        auto rect = app::rectFromString(c.text);
        EXPECT_EQ(rect.has_value(), c.valid);
        if (rect) {
            EXPECT_EQ(app::rectFromString(app::stringFromRect(*rect)), rect);
        }
    }
}

} // namespace
} // namespace quillet::test
