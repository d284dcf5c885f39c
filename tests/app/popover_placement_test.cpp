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

} // namespace
} // namespace quillet::app
