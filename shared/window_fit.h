// Window sizes that keep what matters in view: a list's last visible row
// never cut off at the bottom, a window's title never cut short by the
// window manager's title bar.
#pragma once

namespace quillet {

// How tall a list is made: every row when all fit, else as many whole rows
// as fit (the rest scroll into view). `frame` is what the list adds around
// its rows (borders); `limit` the most the list may take, frame included. At
// least one row shows, and an empty list keeps the room of one row.
int wholeRowsHeight(int rows, int rowHeight, int frame, int limit);

// The width a window needs for its whole title in the title bar, with the
// window manager's icon and buttons beside it: `titleWidth` is the title's
// width in a bold font.
int titleBarWidth(int titleWidth);

} // namespace quillet
