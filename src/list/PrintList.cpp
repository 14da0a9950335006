#include "PrintList.h"

#include "ListErrors.h"
#include "ListFile.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <stdexcept>

namespace pravik {

void PrintList::clear()
{
    replaceAll({});
}

void PrintList::replaceAll(std::vector<PrintEntry> rows)
{
    if (listener_)
        listener_->rowsAboutToBeReset();
    rows_ = std::move(rows);
    if (listener_)
        listener_->rowsReset();
}

void PrintList::appendAll(std::vector<PrintEntry> entries)
{
    if (entries.empty())
        return;
    if (listener_)
        listener_->rowsAboutToBeInserted(rows_.size(), rows_.size() + entries.size() - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(entries.begin()), std::make_move_iterator(entries.end()));
    if (listener_)
        listener_->rowsInserted();
}

void PrintList::setEntry(size_t row, PrintEntry entry)
{
    rows_.at(row) = std::move(entry);
    if (listener_)
        listener_->rowChanged(row);
}

void PrintList::removeRows(const std::vector<size_t>& ascendingRows)
{
    if (ascendingRows.empty())
        return;
    const size_t first = ascendingRows.front();
    const size_t last = ascendingRows.back();
    if (last >= rows_.size() ||
        std::adjacent_find(ascendingRows.begin(), ascendingRows.end(), std::greater_equal<>()) !=
            ascendingRows.end())
        throw std::out_of_range("PrintList::removeRows");
    const bool oneRun = last - first + 1 == ascendingRows.size();
    if (!oneRun) {
        // Rows spread through the list go to its end in one reorder and
        // leave in one removal, instead of one removal per gap: a view
        // follows each removal with work of the list's length.
        std::vector<char> removed(rows_.size(), 0);
        for (size_t row : ascendingRows)
            removed[row] = 1;
        std::vector<size_t> order;
        order.reserve(rows_.size());
        for (size_t row = 0; row < rows_.size(); ++row)
            if (!removed[row])
                order.push_back(row);
        for (size_t row : ascendingRows)
            order.push_back(row);
        reorder(order);
    }
    const size_t count = ascendingRows.size();
    const size_t from = oneRun ? first : rows_.size() - count;
    if (listener_)
        listener_->rowsAboutToBeRemoved(from, from + count - 1);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(from),
                rows_.begin() + static_cast<std::ptrdiff_t>(from + count));
    if (listener_)
        listener_->rowsRemoved();
}

void PrintList::reorder(const std::vector<size_t>& order)
{
    if (order.size() != rows_.size())
        throw std::invalid_argument("PrintList::reorder");
    std::vector<size_t> newRowOfOld(rows_.size(), rows_.size());
    for (size_t newRow = 0; newRow < order.size(); ++newRow) {
        const size_t oldRow = order[newRow];
        if (oldRow >= rows_.size() || newRowOfOld[oldRow] != rows_.size())
            throw std::invalid_argument("PrintList::reorder");
        newRowOfOld[oldRow] = newRow;
    }
    std::vector<PrintEntry> reordered;
    reordered.reserve(rows_.size());
    if (listener_)
        listener_->rowsAboutToBeReordered();
    for (size_t oldRow : order)
        reordered.push_back(std::move(rows_[oldRow]));
    rows_ = std::move(reordered);
    if (listener_)
        listener_->rowsReordered(newRowOfOld);
}

void PrintList::loadListFile(const std::string& cp932Path)
{
    loadListContent(readListFile(cp932Path), cp932Path);
}

void PrintList::loadListContent(ListFileContent content, const std::string& cp932Path)
{
    replaceAll(std::move(content.entries));
    listFileStamp = content.stamp;
    if (content.missingLineIndex)
        throw ListIndexError(*content.missingLineIndex, cp932Path);
}

void PrintList::saveListFile(const std::string& cp932Path)
{
    listFileStamp = writeListFile(cp932Path, rows_);
}

} // namespace pravik
