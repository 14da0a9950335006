#include "OfficeJobs.h"

#include "NothingToPrint.h"
#include "PrintReadiness.h"
#include "StartedApplication.h"
#include "TextCodec.h"

namespace pravik {

namespace {

// The sheet named, refused by name when the workbook has none of that name
// or hides it: Excel would fail the whole selection with a number only.
Variant printableSheet(AutomationCall& automation, const Variant& workbook, const std::string& name)
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
    return sheet;
}

// Excel prints nothing for a sheet without content, and says so only in a
// message box nobody sees. A sheet whose pages cannot be counted (an Excel
// without Pages, a sheet kind without them) counts as printable: Excel
// decides then.
bool hasPages(AutomationCall& automation, const Variant& sheet)
{
    try {
        const Variant setup = automation.execute(sheet, AutoCmd(CallKind::PropertyGet, "PageSetup"));
        const Variant pages = automation.execute(setup, AutoCmd(CallKind::PropertyGet, "Pages"));
        return automation.execute(pages, AutoCmd(CallKind::PropertyGet, "Count")).asInteger() > 0;
    } catch (const EOleException&) {
        return true;
    } catch (const EOleError&) {
        return true;
    }
}

// The shown sheets of a set (a Sheets collection), asked until one has
// pages: hidden ones do not print.
bool anySheetHasPages(AutomationCall& automation, const Variant& sheets)
{
    const std::int32_t count = automation.getProperty(sheets, "Count").asInteger();
    if (count <= 0)
        return true; // nothing known: Excel decides
    for (std::int32_t i = 1; i <= count; ++i) {
        const Variant sheet = automation.getProperty(sheets, "Item", {Variant::fromInt(i)});
        if (automation.getProperty(sheet, "Visible").asInteger() == kSheetVisible && hasPages(automation, sheet))
            return true;
    }
    return false;
}

NothingToPrint emptySheets(const std::string& path)
{
    return NothingToPrint("ブック " + codec::toDisplay(path) + " の印刷するシートは空のため、印刷するものがありません");
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
    automation.checkDocument(entry.filePath);

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

        // Printed as they stand, never selected first: selecting needs the
        // workbook's window, which Excel hides when it runs for automation.
        Variant target;
        if (!sheetNames.empty()) {
            bool pages = false;
            for (const std::string& name : sheetNames) {
                const Variant sheet = printableSheet(automation, workbook, name);
                pages = pages || hasPages(automation, sheet);
            }
            if (!pages)
                throw emptySheets(entry.filePath);
            target = automation.getProperty(workbook, "Sheets", {Variant::fromTextArray(sheetNames)});
        } else if (settings.excelNoSheetRule == AllSheets) {
            // Sheets, not Worksheets: chart sheets print too.
            target = automation.getProperty(workbook, "Sheets");
            if (!anySheetHasPages(automation, target))
                throw emptySheets(entry.filePath);
        } else {
            // The workbook itself would print every sheet of it.
            target = automation.getProperty(workbook, "ActiveSheet");
            if (!hasPages(automation, target))
                throw emptySheets(entry.filePath);
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
