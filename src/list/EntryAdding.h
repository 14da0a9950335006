#pragma once

#include "PrintEntry.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pravik {

class PrintList;

// The settings that decide which files become rows, and with what copies.
struct AddRules {
    bool skipSameFile = false;     // a path already listed is not added again
    bool acceptOtherFiles = false; // files other than Word and Excel documents
    int defaultCopies = 1;
};

// ".doc", ".dot", ".xls" or ".xlt", letter case aside (A to Z only).
bool hasDocumentExtension(std::string_view path);

// The extension field of a new row: at most three bytes after the dot, in
// the path's letter case, never ending in half a double-byte character.
std::string extensionField(std::string_view path);

// The printer a new row gets; throws when the system has no default printer.
using CurrentPrinter = std::function<std::string()>;

enum class AddSource { Dialog, Drop };

// What an add did.
struct AddOutcome {
    size_t appended = 0;
    size_t skippedDuplicates = 0; // listed already, under 同じファイルは追加しない
    size_t skippedOtherFiles = 0; // neither Word nor Excel, with other files refused
    // Why the system's default printer could not be had, when it could not:
    // the rows that needed it were added without a printer, which the user
    // chooses per row in the entry editor.
    std::optional<std::string> printerMissing;
};

// Appends the accepted paths, in order, as new rows under the duplicate and
// foreign-file rules. The rows are appended in one step, so a long batch
// costs one view update. The default printer is asked once, when a row
// first needs it.
AddOutcome addFiles(PrintList& list, const std::vector<std::string>& paths, AddSource source,
                    const AddRules& rules, const CurrentPrinter& currentPrinter);

} // namespace pravik
