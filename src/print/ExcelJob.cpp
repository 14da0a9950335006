#include "OfficeJobs.h"

#include "PrintReadiness.h"
#include "StartedApplication.h"
#include "TextCodec.h"

namespace pravik {

namespace {

// The sheet named, refused by name when the workbook has none of that name
// or hides it: Excel would fail the whole selection with a number only.
void checkPrintable(AutomationCall& automation, const Variant& workbook, const std::string& name)
{
    Variant sheet;
    try {
        sheet = automation.getProperty(workbook, "Sheets", {Variant::fromText(name)});
    } catch (const EOleSysError& error) {
        if (error.code() != olecode::Exception)
            throw;
        throw Error("ブックにシート '" + codec::toDisplay(name) + "' がありません");
    }
    if (automation.getProperty(sheet, "Visible").asInteger() != kSheetVisible)
        throw Error("シート '" + codec::toDisplay(name) + "' は非表示のため印刷できません");
}

} // namespace

Variant openWorkbook(AutomationCall& automation, const Variant& workbooks, const std::string& path)
{
    return automation.execute(workbooks, AutoCmd(CallKind::Function, "Open")
                                             .arg(Variant::fromText(path))
                                             .named("UpdateLinks", Variant::fromInt(0))
                                             .named("ReadOnly", Variant::fromBool(true))
                                             .named("Password", Variant::fromText(kNoPassword))
                                             .named("WriteResPassword", Variant::fromText(kNoPassword))
                                             .named("IgnoreReadOnlyRecommended", Variant::fromBool(true))
                                             .named("Notify", Variant::fromBool(false))
                                             .named("AddToMru", Variant::fromBool(false)));
}

JobOutcome PrintExcelFile(const PrintEntry& entry, PrintMode mode, const Settings& settings,
                          AutomationCall& automation)
{
    // Decided on the names rather than the raw text: a hand-edited field of
    // blanks names no sheet either, and must not print the active sheet
    // when the settings say to print nothing.
    const std::vector<std::string> sheetNames = readSheetList(entry.pagesOrSheets);
    if (sheetNames.empty() && settings.excelNoSheetRule == PrintNothing)
        return JobOutcome::Skipped;
    if (mode == PrintMode::Print) {
        // Refused in the field's own words, before the office starts.
        checkCopies(entry.copies);
        automation.checkPrinter(entry.printer);
    }

    // Excel takes these booleans as texts and coerces them itself.
    const Variant trueText = Variant::fromText("True");
    const Variant falseText = Variant::fromText("False");

    StartedApplication excel(automation, OfficeKind::Excel, createOfficeApplication(automation, kExcelProgId));
    try {
        automation.setProperty(excel.app(), "DisplayAlerts", falseText);
        const Variant workbooks = automation.getProperty(excel.app(), "Workbooks");
        excel.setCollection(workbooks);
        const Variant workbook = openWorkbook(automation, workbooks, entry.filePath);
        excel.setOpened(workbook);

        Variant target;
        if (!sheetNames.empty()) {
            for (const std::string& name : sheetNames)
                checkPrintable(automation, workbook, name);
            target = automation.getProperty(workbook, "Sheets", {Variant::fromTextArray(sheetNames)});
            automation.callFunction(target, "Select");
        } else if (settings.excelNoSheetRule == AllSheets) {
            target = automation.getProperty(workbook, "WorkSheets");
        } else {
            // The workbook itself would print every sheet of it.
            target = automation.getProperty(workbook, "ActiveSheet");
        }

        switch (mode) {
        case PrintMode::Print:
            automation.execute(target, AutoCmd(CallKind::Procedure, "PrintOut")
                                           .named("Copies", Variant::fromText(entry.copies))
                                           .named("ActivePrinter", Variant::fromText(entry.printer))
                                           .named("Collate", settings.collateCopies ? trueText : falseText));
            break;
        case PrintMode::Preview:
            automation.setProperty(excel.app(), "Visible", trueText);
            automation.callProcedure(target, "PrintPreview");
            automation.setProperty(excel.app(), "Visible", falseText);
            break;
        }
        excel.finish();
    } catch (...) {
        excel.finishAfterFailure();
        throw;
    }
    return JobOutcome::Done;
}

} // namespace pravik
