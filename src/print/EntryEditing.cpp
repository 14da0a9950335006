#include "EntryEditing.h"

#include "EntryAdding.h"
#include "PageRanges.h"

namespace pravik {

std::string pageFieldOf(const PrintEntry& entry)
{
    if (documentKindOfPath(entry.filePath) != DocumentKind::Word || entry.pagesOrSheets.empty())
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
    if (fields.shownGroup == DocumentKind::Word) {
        // Stored as the office reads it, whatever the input method typed.
        entry.pagesOrSheets = pageRangeText(asciiPageText(fields.pageField));
    } else if (fields.shownGroup == DocumentKind::Excel && fields.sheets && fields.sheets->count() > 0) {
        if (std::optional<std::string> text = writeSheetList(*fields.sheets))
            entry.pagesOrSheets = *text;
        else
            saved.sheetNameRefused = true;
    }
    return saved;
}

} // namespace pravik
