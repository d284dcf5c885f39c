#include "image_title_layout.h"

#include <algorithm>

namespace quillet::app {

namespace {
constexpr int kImageInset = 1;
constexpr int kImageSide = 15;
constexpr int kTitleInset = 19;
} // namespace

ImageTitleLayout imageTitleLayout(const CellRect& cell, int titleWidth, int titleHeight,
                                  bool hasTitle, bool rightToLeft) {
    ImageTitleLayout layout;
    layout.image = {cell.x + kImageInset, cell.y + kImageInset, kImageSide, kImageSide};
    if (hasTitle) {
        layout.title = {cell.x + kTitleInset, cell.y,
                        std::min(titleWidth, std::max(0, cell.width - kTitleInset)), titleHeight};
    } else {
        layout.title = {cell.x + kTitleInset, cell.y, 0, 0};
    }
    if (rightToLeft) {
        for (CellRect* part : {&layout.image, &layout.title}) {
            part->x = cell.x + cell.width - (part->x - cell.x) - part->width;
        }
    }
    return layout;
}

} // namespace quillet::app
