#include "EntryEditing.h"

#include "EntryAdding.h"
#include "PathParts.h"

namespace pravik {

RowKind rowKindOf(std::string_view pathText)
{
    std::string extension = extensionPart(pathText);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (extension == "doc" || extension == "dot")
        return RowKind::Word;
    if (extension == "xls" || extension == "xlt")
        return RowKind::Excel;
    return RowKind::Other;
}

std::string pageFieldOf(const PrintEntry& entry)
{
    if (rowKindOf(entry.filePath) != RowKind::Word || entry.pagesOrSheets.empty())
        return {};
    return pageRangesOf(entry.pagesOrSheets);
}

SavedEntry savedEntry(const PrintEntry& row, const EntryFields& fields)
{
    SavedEntry saved{row, false};
    PrintEntry& entry = saved.entry;
    entry.fileName = fields.fileName;
    entry.memo = fields.memo;
    entry.filePath = fields.filePath;
    entry.extension = extensionField(fields.filePath);
    entry.copies = fields.copies;
    entry.printer = fields.printer;
    if (fields.shownGroup == RowKind::Word) {
        entry.pagesOrSheets = pageRangeText(fields.pageField);
    } else if (fields.shownGroup == RowKind::Excel && fields.sheets && fields.sheets->count() > 0) {
        if (std::optional<std::string> text = writeSheetList(*fields.sheets))
            entry.pagesOrSheets = *text;
        else
            saved.sheetNameRefused = true;
    }
    return saved;
}

} // namespace pravik
