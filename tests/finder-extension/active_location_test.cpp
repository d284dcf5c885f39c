// The folder a module publishes: its most recently active window's, as a
// "file:///" URI the shortcut's script can read.
#include "finder-extension/core/active_location.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace quillet::test {
namespace {

TEST(ActiveLocationTest, PublishedFolderURIs) {
    const struct {
        const char* location;
        const char* published;
    } cases[] = {
        {"file:///home/ann/Documents", "file:///home/ann/Documents"},
        {"file:///home/ann/My%20Files/%C3%A9t%C3%A9", "file:///home/ann/My%20Files/%C3%A9t%C3%A9"},
        {"file://localhost/srv/x", "file:///srv/x"},
        {"file:/srv/x", "file:///srv/x"},
        {"FILE:///srv/x", "file:///srv/x"},
        {"file:///", "file:///"},
        // Spelled another way by the file manager, the same folder.
        {"file:///a%2fb", "file:///a/b"},
        {"file:///it's", "file:///it%27s"},
        // No file can be created in these places.
        {"trash:///", ""},
        {"recent:///", ""},
        {"x-network-view:///", ""},
        {"sftp://host/home", ""},
        {"file://elsewhere/srv/x", ""},
        {"/home/ann", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.location);
        EXPECT_EQ(publishedFolderURI(c.location), c.published);
    }
}

TEST(ActiveLocationTest, TheMostRecentlyActiveWindowIsPublished) {
    using Step = std::function<bool(ActiveWindows&)>;
    auto shows = [](ActiveWindows::WindowKey w, const char* uri) -> Step {
        return [=](ActiveWindows& windows) { return windows.windowShows(w, uri); };
    };
    auto activated = [](ActiveWindows::WindowKey w, std::uint64_t at) -> Step {
        return [=](ActiveWindows& windows) { return windows.windowActivated(w, at); };
    };
    auto closed = [](ActiveWindows::WindowKey w) -> Step {
        return [=](ActiveWindows& windows) { return windows.windowClosed(w); };
    };
    const struct {
        const char* name;
        std::vector<Step> steps;
        ActiveLocation published;
        bool lastStepChanged;
    } cases[] = {
        {"nothing yet", {}, {}, false},
        {"a window never active is not published", {shows(1, "file:///a")}, {}, false},
        {"an active window before its folder is known", {activated(1, 10)}, {"", 10}, true},
        {"its folder once known",
         {activated(1, 10), shows(1, "file:///a")},
         {"file:///a", 10},
         true},
        {"the later of two",
         {shows(1, "file:///a"), shows(2, "file:///b"), activated(2, 20), activated(1, 30)},
         {"file:///a", 30},
         true},
        {"activated again",
         {shows(1, "file:///a"), shows(2, "file:///b"), activated(1, 10), activated(2, 20),
          activated(1, 30)},
         {"file:///a", 30},
         true},
        {"a background window that moves publishes nothing new",
         {shows(1, "file:///a"), shows(2, "file:///b"), activated(1, 10), activated(2, 20),
          shows(1, "file:///c")},
         {"file:///b", 20},
         false},
        {"the active window moves",
         {shows(1, "file:///a"), activated(1, 10), shows(1, "file:///c")},
         {"file:///c", 10},
         true},
        {"the active window moves to the trash",
         {shows(1, "file:///a"), activated(1, 10), shows(1, "trash:///")},
         {"", 10},
         true},
        {"closing the active one falls back to the one before",
         {shows(1, "file:///a"), shows(2, "file:///b"), activated(1, 10), activated(2, 20),
          closed(2)},
         {"file:///a", 10},
         true},
        {"closing a background window changes nothing",
         {shows(1, "file:///a"), shows(2, "file:///b"), activated(1, 10), activated(2, 20),
          closed(1)},
         {"file:///b", 20},
         false},
        {"closing the last", {shows(1, "file:///a"), activated(1, 10), closed(1)}, {}, true},
        {"closing an unknown window", {closed(7)}, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ActiveWindows windows;
        bool changed = false;
        for (const auto& step : c.steps) {
            changed = step(windows);
        }
        EXPECT_EQ(windows.published(), c.published);
        EXPECT_EQ(changed, c.lastStepChanged);
    }
}

} // namespace
} // namespace quillet::test
