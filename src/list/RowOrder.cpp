#include "RowOrder.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace pravik {

namespace {

std::vector<size_t> unchangedOrder(size_t rowCount)
{
    std::vector<size_t> order(rowCount);
    std::iota(order.begin(), order.end(), size_t{0});
    return order;
}

} // namespace

RowShuffle selectionMovedUp(size_t rowCount, const std::vector<size_t>& selected)
{
    RowShuffle result{unchangedOrder(rowCount), selected, false};
    if (selected.empty() || selected.front() == 0)
        return result;
    // Topmost first: a run of selected rows climbs as a block, because each
    // one takes the place its upper neighbour has just left.
    for (size_t i = 0; i < selected.size(); ++i) {
        const size_t row = selected[i];
        std::swap(result.order[row - 1], result.order[row]);
        result.selection[i] = row - 1;
    }
    result.moved = true;
    return result;
}

RowShuffle selectionMovedDown(size_t rowCount, const std::vector<size_t>& selected)
{
    RowShuffle result{unchangedOrder(rowCount), selected, false};
    if (selected.empty())
        return result;
    if (selected.back() + 1 >= rowCount) {
        // The last row has nowhere to go; its place past the end selects
        // nothing, which ends the whole selection and with it the walk.
        result.selection.clear();
        return result;
    }
    for (size_t i = selected.size(); i-- > 0;) {
        const size_t row = selected[i];
        std::swap(result.order[row], result.order[row + 1]);
        result.selection[i] = row + 1;
    }
    result.moved = true;
    return result;
}

int lstViewCompare(const PrintEntry& item1, const PrintEntry& item2, int column)
{
    // char_traits<char> compares as unsigned char, which is the byte order
    // of the CP932 texts.
    const int compare = std::string_view(item1.field(column)).compare(item2.field(column));
    return (compare > 0) - (compare < 0);
}

std::vector<size_t> orderByColumn(const std::vector<PrintEntry>& rows, int column)
{
    if (column < 0 || column >= PrintEntry::fieldCount)
        throw std::out_of_range("orderByColumn");
    std::vector<size_t> order = unchangedOrder(rows.size());
    const auto field = PrintEntry::fields[column];
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return std::string_view(rows[a].*field) < std::string_view(rows[b].*field);
    });
    return order;
}

} // namespace pravik
