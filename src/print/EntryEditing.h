#pragma once

#include "DocumentKind.h"
#include "PrintEntry.h"
#include "SheetListText.h"

#include <optional>
#include <string>
#include <string_view>

// The entry editor's rules on a row, apart from its window.
namespace pravik {


// What the page field shows for a row: the typed ranges of a Word row.
std::string pageFieldOf(const PrintEntry& entry);

// What the editor's fields hold, CP932.
struct EntryFields {
    std::string fileName;
    std::string memo;
    std::string filePath;
    std::string copies;
    std::string printer; // empty when no printer is selected
    DocumentKind shownGroup = DocumentKind::Other;
    std::string pageField;            // read when the Word group is shown
    const CheckList* sheets = nullptr; // read when the Excel group is shown
};

struct SavedEntry {
    PrintEntry entry;
    // A checked sheet name held a double quote: the sheet field kept its
    // value and the user is to be told.
    bool sheetNameRefused = false;
};

// The row as the editor writes it back: the fields over `row`, with the
// extension derived from the path. An Excel row whose sheets were never
// loaded keeps its sheet text.
SavedEntry savedEntry(const PrintEntry& row, const EntryFields& fields);

} // namespace pravik
