#include "popover_placement.h"

#include <algorithm>

namespace quillet::app {

namespace {

constexpr int kGap = 4;

// One axis: after the pointer when there is room, else before it, and
// clamped so the popup stays on the screen (the start wins when it is too big).
int clamp(int pos, int size, int start, int length) {
    return std::max(std::min(pos, start + length - size), start);
}

int place(int pointer, int size, int start, int length) {
    int pos = pointer + kGap;
    if (pos + size > start + length) {
        pos = pointer - kGap - size;
    }
    return clamp(pos, size, start, length);
}

} // namespace

ScreenPoint popoverPosition(ScreenPoint pointer, int width, int height, ScreenRect available) {
    return {place(pointer.x, width, available.x, available.width),
            place(pointer.y, height, available.y, available.height)};
}

ScreenPoint tipPosition(ScreenRect row, ScreenRect popover, int width, int height,
                        ScreenRect available, bool rightToLeft) {
    const int after = row.x + row.width + kGap;
    const int before = row.x - kGap - width;
    const bool roomAfter = after + width <= available.x + available.width;
    const bool roomBefore = before >= available.x;
    int x = 0;
    if (rightToLeft) {
        x = roomBefore ? before : popover.x + popover.width + kGap;
    } else {
        x = roomAfter ? after : popover.x - kGap - width;
    }
    return {clamp(x, width, available.x, available.width),
            clamp(row.y + row.height / 2 - height / 2, height, available.y, available.height)};
}

} // namespace quillet::app
