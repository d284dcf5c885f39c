#include "popover_placement.h"

#include <algorithm>

namespace quillet::app {

namespace {

// One axis: after the pointer when there is room, else before it, and
// clamped so the popup stays on the screen (the start wins when it is too big).
int place(int pointer, int size, int start, int length) {
    constexpr int kGap = 4;
    int pos = pointer + kGap;
    if (pos + size > start + length) {
        pos = pointer - kGap - size;
    }
    pos = std::min(pos, start + length - size);
    return std::max(pos, start);
}

} // namespace

ScreenPoint popoverPosition(ScreenPoint pointer, int width, int height, ScreenRect available) {
    return {place(pointer.x, width, available.x, available.width),
            place(pointer.y, height, available.y, available.height)};
}

} // namespace quillet::app
