#include "shared/window_fit.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(WindowFitTest, OnlyWholeRowsShow) {
    struct Case {
        const char* name;
        int rows, rowHeight, frame, limit;
        int expected;
    } cases[] = {
        {"all rows fit: exactly their height", 3, 48, 2, 400, 146},
        {"too many: the whole rows that fit", 20, 48, 2, 400, 386},
        {"a limit on a row's edge", 20, 48, 2, 386, 386},
        {"a limit one short of it", 20, 48, 2, 385, 338},
        {"a limit below one row: one row still", 20, 48, 2, 30, 50},
        {"no rows: the room of one", 0, 48, 2, 400, 50},
        {"rows of no height: the limit", 5, 0, 2, 300, 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(wholeRowsHeight(c.rows, c.rowHeight, c.frame, c.limit), c.expected);
    }
}

TEST(WindowFitTest, ATitleBarHasRoomForTheTitleAndTheButtons) {
    EXPECT_EQ(titleBarWidth(0), 0); // no title: nothing to make room for
    EXPECT_EQ(titleBarWidth(100), 228);
    EXPECT_GT(titleBarWidth(300), titleBarWidth(299));
}

} // namespace
} // namespace quillet
