#include "OfficeJobs.h"

namespace pravik {

JobOutcome PrintExcelFile(const PrintEntry& entry, PrintMode mode, const Settings& settings,
                          AutomationCall& automation)
{
    // Decided on the names rather than the raw text: a hand-edited field of
    // blanks names no sheet either, and must not print the active sheet
    // when the settings say to print nothing.
    const std::vector<std::string> sheetNames = readSheetList(entry.pagesOrSheets);
    if (sheetNames.empty() && settings.excelNoSheetRule == PrintNothing)
        return JobOutcome::Skipped;

    // Excel takes these booleans as texts and coerces them itself.
    const Variant trueText = Variant::fromText("True");
    const Variant falseText = Variant::fromText("False");

    const Variant app = createOfficeApplication(automation, kExcelProgId);
    automation.setProperty(app, "DisplayAlerts", falseText);
    const Variant workbooks = automation.getProperty(app, "Workbooks");
    const Variant workbook =
        automation.callFunction(workbooks, "Open", {Variant::fromText(entry.filePath)});
    const Variant worksheets = automation.getProperty(workbook, "WorkSheets");

    Variant target;
    if (!sheetNames.empty()) {
        target = automation.getProperty(workbook, "Sheets", {Variant::fromTextArray(sheetNames)});
        automation.callFunction(target, "Select");
    } else if (settings.excelNoSheetRule == AllSheets) {
        target = worksheets;
    } else {
        target = workbook; // ActiveSheet, and any value the settings should not hold
    }

    switch (mode) {
    case PrintMode::Print:
        automation.execute(target, AutoCmd(CallKind::Procedure, "PrintOut")
                                       .named("Copies", Variant::fromText(entry.copies))
                                       .named("ActivePrinter", Variant::fromText(entry.printer))
                                       .named("Collate", settings.collateCopies ? trueText
                                                                                : falseText));
        break;
    case PrintMode::Preview:
        automation.setProperty(app, "Visible", trueText);
        automation.callProcedure(target, "PrintPreview");
        automation.setProperty(app, "Visible", falseText);
        break;
    }

    automation.callProcedure(app, "Quit");
    return JobOutcome::Done;
}

} // namespace pravik
