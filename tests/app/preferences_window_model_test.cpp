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
const app::PaneSizes kPanes{{400, 300}, {400, 300}};

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
    auto change = m.select(0, commit, kPanes, kWindow, kChrome);
    EXPECT_EQ(change.kind, Kind::Selected);
    EXPECT_FALSE(change.windowTitle); // a given title stays
    EXPECT_EQ(defaults.stringForKey(PreferencesWindowModel::kSelectedKey), "General");
    EXPECT_EQ(m.toolbarItemIdentifiers(),
              (std::vector<std::string>{"General", "Templates", "NSToolbarFlexibleSpaceItem",
                                        "Finder", "Localization"}));

    auto untitled = model(std::nullopt);
    EXPECT_EQ(untitled.select(3, commit, kPanes, kWindow, kChrome).windowTitle, "Locations");
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

TEST_F(PreferencesWindowModelTest, AllPanesShareOneSizeTheNaturalOrTheUsers) {
    const app::PaneSizes panes{{500, 350}, {300, 200}};
    struct Case {
        const char* name;
        const char* saved; // under "Templates", or nothing
        std::size_t first; // the pane shown first
        Size expected;     // the pane size of every pane
    } cases[] = {
        {"nothing saved: the largest natural size", nullptr, 0, {500, 350}},
        {"the user's size, saved under the pane shown", "{{0, 0}, {700, 420}}", 1, {700, 420}},
        {"the user's size, saved under another pane", "{{0, 0}, {700, 420}}", 0, {700, 420}},
        {"the user's size, smaller than natural", "{{0, 0}, {400, 250}}", 1, {400, 250}},
        {"never below the largest minimum", "{{0, 0}, {10, 900}}", 1, {300, 900}},
        {"an unreadable saved size is none", "big", 1, {500, 350}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempXdg own;
        SettingsStore store = SettingsStore::atPath(own.root() + "/private.json");
        if (c.saved != nullptr) {
            ASSERT_TRUE(store.setString(PreferencesWindowModel::frameKey("Templates"), c.saved));
        }
        PreferencesWindowModel m({PaneEntry{"General", "General", false, false},
                                  PaneEntry{"Templates", "Templates", true, true}},
                                 "Quillet Preferences", store);
        auto first = m.select(c.first, commit, panes, kWindow, kChrome);
        EXPECT_EQ(first.layout.paneFrame.size, c.expected);
        EXPECT_EQ(first.layout.windowFrame,
                  (Rect{kWindow.origin, {c.expected.width, c.expected.height + 40}}));
        EXPECT_EQ(first.layout.minimumPaneSize, panes.minimum);
        // Resizable because one pane is, and the other pane keeps the size the
        // window has now, whatever that pane asks for alone.
        EXPECT_TRUE(first.layout.resizable);
        EXPECT_EQ(first.layout.maximumPaneSize.width, PreferencesWindowModel::kUnlimited);
        const Rect now = first.layout.windowFrame;
        auto other = m.select(1 - c.first, commit, {{200, 100}, {100, 100}}, now, kChrome);
        EXPECT_EQ(other.layout.windowFrame, now);
    }
}

TEST_F(PreferencesWindowModelTest, TheUsersSizeIsRememberedAndAFixedWindowStaysFixed) {
    auto m = model();
    m.select(1, commit, {{500, 350}, {300, 200}}, kWindow, kChrome);
    m.windowDidResize({700, 420});
    EXPECT_EQ(defaults.stringForKey(PreferencesWindowModel::frameKey("Templates")),
              "{{0, 0}, {700, 420}}");

    // Panes that may not grow: the window is as large as the largest pane.
    PreferencesWindowModel fixed(
        {PaneEntry{"A", "A", false, false}, PaneEntry{"B", "B", false, false}},
        "Quillet Preferences", defaults);
    auto a = fixed.select(0, commit, {{400, 300}, {400, 300}}, kWindow, kChrome);
    EXPECT_FALSE(a.layout.resizable);
    EXPECT_EQ(a.layout.maximumPaneSize, (Size{400, 300}));
}

TEST_F(PreferencesWindowModelTest, APaneThatKeepsItsEditsKeepsTheWindow) {
    auto m = model();
    m.select(1, commit, kPanes, kWindow, kChrome);
    auto refused = m.select(
        0, [](std::size_t) { return false; }, kPanes, kWindow, kChrome);
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
        m.select(c.from, commit, kPanes, kWindow, kChrome);
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
