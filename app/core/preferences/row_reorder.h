// Moving a set of table rows to a gap between rows, the same arithmetic for a
// mouse drag and for Alt+Up/Down, shared by the tables of the preferences.
#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <vector>

namespace quillet::app {

struct RowMove {
    // The old index of the record at each new position.
    std::vector<std::size_t> order;
    // The moved rows where they now stand: `count` rows from `first`.
    std::size_t first = 0;
    std::size_t count = 0;
};

// `dropRow` is the gap the rows go into: before row dropRow, or after the
// last row when it equals rowCount. Rows outside the table are ignored.
RowMove moveRows(std::size_t rowCount, const std::set<std::size_t>& rows, std::size_t dropRow);

// The gap that moves the rows one step up (-1) or down (+1); nothing when
// they are already at that end or none is given.
std::optional<std::size_t> dropRowForStep(std::size_t rowCount, const std::set<std::size_t>& rows,
                                          int direction);

// The elements rearranged after a move.
template <class T> std::vector<T> reordered(const std::vector<T>& items, const RowMove& move) {
    std::vector<T> result;
    result.reserve(move.order.size());
    for (std::size_t index : move.order) {
        result.push_back(items[index]);
    }
    return result;
}

} // namespace quillet::app
