#include "PrintList.h"

#include "ListErrors.h"
#include "ListFile.h"

#include <iterator>

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

void PrintList::loadListFile(const std::string& cp932Path)
{
    ListFileContent content = readListFile(cp932Path);
    replaceAll(std::move(content.entries));
    if (content.missingLineIndex)
        throw ListIndexError(*content.missingLineIndex, cp932Path);
}

void PrintList::saveListFile(const std::string& cp932Path) const
{
    writeListFile(cp932Path, rows_);
}

} // namespace pravik
