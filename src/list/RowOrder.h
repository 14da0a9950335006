#pragma once

#include "PrintEntry.h"

#include <cstddef>
#include <vector>

// Where the rows go when the selected ones move or the list is sorted. Rows
// are list positions; a selection is ascending positions. The walks go in
// list order in every view style, so every selected row is reached.
namespace pravik {

struct RowShuffle {
    // order[newRow] is the row's old position.
    std::vector<size_t> order;
    // The selected rows afterwards, ascending.
    std::vector<size_t> selection;
    // False when every row stayed where it was.
    bool moved = false;
};

// Each selected row one place up, the topmost first. When the topmost is
// already the first row, no row moves.
RowShuffle selectionMovedUp(size_t rowCount, const std::vector<size_t>& selected);

// Each selected row one place down, the bottom-most first. When the last row
// is selected, no row moves and the selection ends empty.
RowShuffle selectionMovedDown(size_t rowCount, const std::vector<size_t>& selected);

// -1, 0 or 1: the two rows' texts in `column` as plain unsigned bytes, so
// upper-case ASCII comes before lower-case and numbers compare as text.
int lstViewCompare(const PrintEntry& item1, const PrintEntry& item2, int column);

// The ascending order of the rows by `column`; rows with equal texts keep
// their order.
std::vector<size_t> orderByColumn(const std::vector<PrintEntry>& rows, int column);

} // namespace pravik
