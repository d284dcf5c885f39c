#include "shared/window_fit.h"

#include <algorithm>

namespace quillet {

int wholeRowsHeight(int rows, int rowHeight, int frame, int limit) {
    if (rowHeight <= 0) {
        return std::max(frame, limit);
    }
    const int fitting = std::max(1, (limit - frame) / rowHeight);
    return frame + rowHeight * std::clamp(rows, 1, fitting);
}

int titleBarWidth(int titleWidth) {
    // The window icon, three buttons (minimize, maximize, close) and the
    // gaps between them, as the common window managers draw them.
    constexpr int kDecorations = 4 * 24 + 32;
    return titleWidth > 0 ? titleWidth + kDecorations : 0;
}

} // namespace quillet
