// The popup beside the pointer, whole on the screen.
#include "app/core/popover_placement.h"

#include <gtest/gtest.h>

namespace quillet::app {
namespace {

TEST(PopoverPlacementTest, BesideThePointerAndOnTheScreen) {
    const ScreenRect screen{0, 32, 1280, 992}; // a top panel of 32 pixels
    struct Case {
        ScreenPoint pointer;
        int width, height;
        ScreenPoint expected;
    } cases[] = {
        {{1200, 10}, 300, 400, {896, 32}},    // top-right panel icon: left of it, below the panel
        {{10, 40}, 300, 400, {14, 44}},       // top-left: right and below
        {{1270, 1015}, 300, 400, {966, 611}}, // bottom-right corner: above and left
        {{600, 500}, 300, 400, {604, 504}},
        {{600, 500}, 2000, 2000, {0, 32}}, // too big: from the screen's corner
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pointer.x << "," << c.pointer.y);
        auto at = popoverPosition(c.pointer, c.width, c.height, screen);
        EXPECT_EQ(at.x, c.expected.x);
        EXPECT_EQ(at.y, c.expected.y);
    }
}

TEST(PopoverPlacementTest, TheTipBesideItsRowAndOnTheScreen) {
    const ScreenRect screen{0, 32, 1280, 992};
    struct Case {
        const char* name;
        ScreenRect row, popover;
        bool rightToLeft;
        ScreenPoint expected;
    } cases[] = {
        {"right of the row", {100, 200, 270, 46}, {96, 150, 280, 360}, false, {374, 173}},
        {"no room right: left of the popover",
         {1000, 200, 270, 46},
         {996, 150, 280, 360},
         false,
         {772, 173}},
        {"right to left: left of the row",
         {600, 200, 270, 46},
         {596, 150, 280, 360},
         true,
         {376, 173}},
        {"right to left, no room left: right of the popover",
         {4, 200, 270, 46},
         {0, 150, 280, 360},
         true,
         {284, 173}},
        {"a row at the bottom: the tip stays above the edge",
         {100, 1000, 270, 46},
         {96, 700, 280, 360},
         false,
         {374, 924}},
        {"a row under the top panel", {100, 0, 270, 20}, {96, 0, 280, 360}, false, {374, 32}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto at = tipPosition(c.row, c.popover, 220, 100, screen, c.rightToLeft);
        EXPECT_EQ(at.x, c.expected.x);
        EXPECT_EQ(at.y, c.expected.y);
    }
}

} // namespace
} // namespace quillet::app
