#include "PrintList.h"

#include "ListErrors.h"
#include "ListFile.h"

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

void PrintList::append(PrintEntry entry)
{
    if (listener_)
        listener_->rowsAboutToBeInserted(rows_.size(), rows_.size());
    rows_.push_back(std::move(entry));
    if (listener_)
        listener_->rowsInserted();
}

void PrintList::loadListFile(const std::string& cp932Path)
{
    ListFileContent content = readListFile(cp932Path);
    replaceAll(std::move(content.entries));
    if (content.missingLineIndex)
        throw ListIndexError(*content.missingLineIndex);
}

void PrintList::saveListFile(const std::string& cp932Path) const
{
    writeListFile(cp932Path, rows_);
}

} // namespace pravik
