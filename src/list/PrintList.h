#pragma once

#include "ListFile.h"
#include "PrintEntry.h"

#include <optional>
#include <string>
#include <vector>

namespace pravik {

// Told about every change of the rows, so a view (the window's item model)
// can follow without holding a copy.
class PrintListListener {
public:
    virtual ~PrintListListener() = default;
    virtual void rowsAboutToBeReset() = 0;
    virtual void rowsReset() = 0;
    virtual void rowsAboutToBeInserted(size_t first, size_t last) = 0;
    virtual void rowsInserted() = 0;
    virtual void rowChanged(size_t row) = 0;
    virtual void rowsAboutToBeRemoved(size_t first, size_t last) = 0;
    virtual void rowsRemoved() = 0;
    virtual void rowsAboutToBeReordered() = 0;
    // newRowOfOld[oldRow] is where each row went.
    virtual void rowsReordered(const std::vector<size_t>& newRowOfOld) = 0;
};

// The rows of the main window with the state that belongs to them.
class PrintList {
public:
    // True when the rows differ from what was last loaded or saved.
    bool changed = false;
    // CP932 path of the list file the rows belong to; empty when none.
    std::string listFileName;
    // The list file as this list last read or wrote it; nullopt before.
    std::optional<ListFileStamp> listFileStamp;

    void setListener(PrintListListener* listener) { listener_ = listener; }

    size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    const PrintEntry& at(size_t row) const { return rows_.at(row); }
    const std::vector<PrintEntry>& rows() const { return rows_; }

    void clear();
    void replaceAll(std::vector<PrintEntry> rows);
    void appendAll(std::vector<PrintEntry> entries);
    void setEntry(size_t row, PrintEntry entry);
    // Removes the rows at the given ascending positions.
    void removeRows(const std::vector<size_t>& ascendingRows);
    // Puts the rows in a new order: order[newRow] is the row's old position,
    // and every old position appears once.
    void reorder(const std::vector<size_t>& order);

    // Replaces all rows by the entries of a list file. When the file cannot be
    // read the rows stay untouched; when its last entry is incomplete the
    // complete entries are kept and ListIndexError is thrown. changed and
    // listFileName are the caller's business.
    void loadListFile(const std::string& cp932Path);
    // The same for a file already read (`cp932Path` names it in the error).
    void loadListContent(ListFileContent content, const std::string& cp932Path);
    void saveListFile(const std::string& cp932Path);

private:
    std::vector<PrintEntry> rows_;
    PrintListListener* listener_ = nullptr;
};

} // namespace pravik
