#pragma once

#include <string>

namespace pravik {

enum PrintTarget : int { SelectedRows = 0, AllRows = 1 };
enum ExcelNoSheetRule : int { ActiveSheet = 0, AllSheets = 1, PrintNothing = 2 };

// Process-wide values read from main.ini when the main window is first shown
// and never changed while the program runs. Out-of-range integers stay as
// read; their users decide what such a value means.
struct Settings {
    std::string titlePrefix;  // "APP_NAME" + " - " (CP932)
    int defaultCopies = 1;
    int printTarget = SelectedRows;
    bool reopenLastList = false;
    bool skipSameFile = false;
    bool acceptOtherFiles = false;
    int excelNoSheetRule = ActiveSheet;
    bool collateCopies = false;
    // "DONEMSG": a long run that printed everything says so in a message
    // (off once the user ticks that box).
    bool announceFinishedRuns = true;
    // Documents after which the print office is restarted; 0 or less: never.
    int officeRecycle = 200;
    // "TIMEOUT" of section "OFFICE": the seconds an office job may take
    // before it is given up (below 1: the default).
    int officeTimeout = 300;
    // "ENGINES" of section "OFFICE": how many print offices render side by
    // side (below 1: one more than the cores, at most 4).
    int officeEngines = 0;
};

} // namespace pravik
