#pragma once

#include "PrintEntry.h"

#include <string>
#include <vector>

// The calls each print job makes, as the recording backend writes them. The
// job tests check the jobs against these; the Windows whole-path test checks
// what a test server received over COM against the same lines.
namespace pravik::test::expected {

using Lines = std::vector<std::string>;

inline Lines concat(Lines a, const Lines& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline std::string quoted(const std::string& text)
{
    return '"' + text + '"';
}

// Excel, with the recording script that labels the opened workbook "Book".
inline Lines excelOpening(const std::string& path)
{
    return {
        "create Excel.Application",
        "Excel.Application put AutomationSecurity(3) short", // no document's macro runs
        "Excel.Application put DisplayAlerts(\"False\") short",
        "Excel.Application get Workbooks() short",
        "Workbooks call Open(" + quoted(path) + ") short",
        "Book get WorkSheets() short",
    };
}

inline std::string excelQuit()
{
    return "Excel.Application proc Quit() short";
}

inline std::string excelPrintOut(const std::string& target, const PrintEntry& row, bool collate)
{
    return target + " proc PrintOut(Copies:=" + quoted(row.copies)
        + ", ActivePrinter:=" + quoted(row.printer) + ", Collate:=\"" + (collate ? "True" : "False")
        + "\") cmd";
}

// Printing the sheets named in the row (given here as the names the job
// reads from the row's sheet-list text).
inline Lines excelPrintSheets(const PrintEntry& row, const std::vector<std::string>& sheets,
                              bool collate)
{
    std::string array = "[";
    for (size_t i = 0; i < sheets.size(); ++i)
        array += (i ? "," : "") + quoted(sheets[i]);
    return concat(excelOpening(row.filePath), {
                                                  "Book get Sheets(" + array + "]) short",
                                                  "Sheets call Select() short",
                                                  excelPrintOut("Sheets", row, collate),
                                                  excelQuit(),
                                              });
}

// Word: opening the document and pointing Word at the row's printer.
inline Lines wordOpening(const std::string& path, const std::string& printer)
{
    return {
        "create Word.Application",
        "Word.Application put AutomationSecurity(3) short",
        "Word.Application put DisplayAlerts(false) short",
        "Word.Application get Documents() cmd",
        "Documents proc Open(" + quoted(path) + ") cmd",
        "Word.Application get ActiveDocument() cmd",
        "ActiveDocument get ActiveWindow() cmd",
        "Word.Application put ActivePrinter(" + quoted(printer) + ") cmd",
        "Word.Application get Options() cmd",
        "Options put UpdateFieldsAtPrint(true) cmd",
        "Options put PrintBackground(false) cmd",
    };
}

// After printing: the current printer back, save, close, quit.
inline Lines wordAfterPrint(const std::string& currentPrinter)
{
    return {
        "Word.Application put ActivePrinter(" + quoted(currentPrinter) + ") cmd",
        "Documents proc Save() cmd",
        "ActiveDocument proc Close() cmd",
        "Word.Application proc Quit() short",
    };
}

// Printing every page of a row with no page ranges.
inline Lines wordPrintAll(const PrintEntry& row, const std::string& currentPrinter)
{
    return concat(concat(wordOpening(row.filePath, row.printer),
                         {"ActiveWindow proc PrintOut(Background:=false, Copies:=" + quoted(row.copies)
                          + ") cmd"}),
                  wordAfterPrint(currentPrinter));
}

// Printing the pages `pages` (the row's page text without its quotes).
inline Lines wordPrintPages(const PrintEntry& row, const std::string& pages,
                            const std::string& currentPrinter)
{
    return concat(concat(wordOpening(row.filePath, row.printer),
                         {"ActiveWindow proc PrintOut(Range:=4, Item:=0, Pages:=" + quoted(pages)
                          + ", PageType:=0, Copies:=" + quoted(row.copies) + ") cmd"}),
                  wordAfterPrint(currentPrinter));
}

} // namespace pravik::test::expected
