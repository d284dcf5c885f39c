// Where a table cell that shows a small image beside its title puts each:
// the image in a 15-point square one point in, the title 19 points in, as
// wide as it needs but never past the cell's far edge. Right to left, the
// cell is mirrored: the image at the right edge, the title to its left.
#pragma once

namespace quillet::app {

struct CellRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const CellRect&) const = default;
};

struct ImageTitleLayout {
    CellRect image;
    CellRect title; // zero-sized when the cell has no title
};

ImageTitleLayout imageTitleLayout(const CellRect& cell, int titleWidth, int titleHeight,
                                  bool hasTitle, bool rightToLeft = false);

} // namespace quillet::app
