// Where the popup opens: beside the pointer (which is where the panel icon
// was clicked), kept whole on the screen.
#pragma once

namespace quillet::app {

struct ScreenRect {
    int x = 0, y = 0, width = 0, height = 0;
};
struct ScreenPoint {
    int x = 0, y = 0;
};

// Top-left corner for a popup of the size: below and right of the pointer
// where it fits, else above or left of it, and never outside `available`
// (the screen without its panels).
ScreenPoint popoverPosition(ScreenPoint pointer, int width, int height, ScreenRect available);

// Top-left corner for the tip of a row: beside the row, on the side its text
// ends (right, or left right to left), centred on it; on the popover's other
// side when there is no room there, and never outside `available`.
ScreenPoint tipPosition(ScreenRect row, ScreenRect popover, int width, int height,
                        ScreenRect available, bool rightToLeft);

} // namespace quillet::app
