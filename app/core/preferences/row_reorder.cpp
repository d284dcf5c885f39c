#include "row_reorder.h"

#include <algorithm>

namespace quillet::app {

RowMove moveRows(std::size_t rowCount, const std::set<std::size_t>& rows, std::size_t dropRow) {
    dropRow = std::min(dropRow, rowCount);
    RowMove move;
    std::vector<std::size_t> moved;
    std::size_t movedAbove = 0;
    for (std::size_t row : rows) {
        if (row < rowCount) {
            moved.push_back(row);
            movedAbove += row < dropRow ? 1 : 0;
        }
    }
    // Rows above the gap that stay, the moved rows in their old order, then
    // the rows at and below the gap that stay.
    for (std::size_t i = 0; i < dropRow; ++i) {
        if (rows.count(i) == 0) {
            move.order.push_back(i);
        }
    }
    move.order.insert(move.order.end(), moved.begin(), moved.end());
    for (std::size_t i = dropRow; i < rowCount; ++i) {
        if (rows.count(i) == 0) {
            move.order.push_back(i);
        }
    }
    move.first = dropRow - movedAbove;
    move.count = moved.size();
    return move;
}

std::optional<std::size_t> dropRowForStep(std::size_t rowCount, const std::set<std::size_t>& rows,
                                          int direction) {
    if (rows.empty() || *rows.rbegin() >= rowCount) {
        return std::nullopt;
    }
    if (direction < 0) {
        std::size_t top = *rows.begin();
        return top == 0 ? std::nullopt : std::optional<std::size_t>(top - 1);
    }
    std::size_t bottom = *rows.rbegin();
    return bottom + 1 >= rowCount ? std::nullopt : std::optional<std::size_t>(bottom + 2);
}

} // namespace quillet::app
