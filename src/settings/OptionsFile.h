#pragma once

#include <string>

namespace pravik {

// The six keys of section "MAIN" that the options window edits, as its
// controls show them: a "PRINT" or "EXCEL" value outside the choices shows
// the first choice.
struct OptionValues {
    bool printAllRows = false;     // "PRINT" 1, else 0
    bool reopenLastList = false;   // "MEMORY"
    bool skipSameFile = false;     // "ONAJI"
    bool acceptOtherFiles = false; // "ETCFILE"
    int excelNoSheetRule = 0;      // "EXCEL" 0, 1 or 2
    bool collateCopies = false;    // "SORT", carried through unchanged
};

// Reads the keys afresh from the file (missing file or keys: the defaults).
OptionValues readOptionValues(const std::string& iniPath);

// Writes the six keys in their fixed order; every other line of the file
// keeps its bytes. A failed write throws the ini layer's Error, leaving the
// keys written before it in place.
void writeOptionValues(const std::string& iniPath, const OptionValues& values);

} // namespace pravik
