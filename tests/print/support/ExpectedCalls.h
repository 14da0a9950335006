#pragma once

#include "PrintEntry.h"

#include <string>
#include <vector>

// The whole call sequence of each print job, as the recording backend writes
// it when scripted by scriptOffice(). The Windows whole-path test checks what
// a stand-in server received over COM against these lines; the job tests
// check the jobs by the promises they keep instead.
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

inline const std::string kNoPassword = quoted("pravik-no-password");

// Printing the sheets named in the row (given here as the names the job
// reads from the row's sheet-list text).
inline Lines excelPrintSheets(const PrintEntry& row, const std::vector<std::string>& sheets, bool collate)
{
    Lines lines = {
        "create Excel.Application",
        "Excel.Application put AutomationSecurity(3) short", // no document's macro runs
        "Excel.Application put DisplayAlerts(\"False\") short",
        "Excel.Application get Workbooks() short",
        "Workbooks call Open(" + quoted(row.filePath) + ", UpdateLinks:=0, ReadOnly:=true, Password:=" + kNoPassword
            + ", WriteResPassword:=" + kNoPassword + ", IgnoreReadOnlyRecommended:=true, Notify:=false, AddToMru:=false) cmd",
    };
    std::string array = "[";
    for (size_t i = 0; i < sheets.size(); ++i) {
        lines.push_back("Opened get Sheets(" + quoted(sheets[i]) + ") short");
        lines.push_back("Sheets get Visible() short");
        if (i == 0) // one sheet with pages is enough
            lines.insert(lines.end(), {"Sheets get PageSetup() cmd", "PageSetup get Pages() cmd", "Pages get Count() cmd"});
        array += (i ? "," : "") + quoted(sheets[i]);
    }
    return concat(lines, {
                             "Opened get Sheets(" + array + "]) short",
                             "Sheets proc PrintOut(Copies:=" + quoted(row.copies) + ", ActivePrinter:="
                                 + quoted(row.printer) + ", Collate:=\"" + (collate ? "True" : "False") + "\") cmd",
                             "Opened proc Close(SaveChanges:=false) cmd",
                             "Workbooks get Count() cmd",
                             "Excel.Application proc Quit() short",
                         });
}

// Printing a Word row: `printOut` is the PrintOut call's named arguments.
inline Lines wordPrint(const PrintEntry& row, const std::string& printOut, bool pages)
{
    Lines lines = {
        "create Word.Application",
        "Word.Application put AutomationSecurity(3) short",
        "Word.Application put DisplayAlerts(false) short",
        "Word.Application get Documents() cmd",
        "Documents call Open(" + quoted(row.filePath)
            + ", ConfirmConversions:=false, ReadOnly:=true, AddToRecentFiles:=false, PasswordDocument:=" + kNoPassword
            + ", WritePasswordDocument:=" + kNoPassword + ", NoEncodingDialog:=true) cmd",
        "Opened get ActiveWindow() cmd",
        "Word.Application get ActivePrinter() cmd",
        "Word.Application get WordBasic() cmd",
        "WordBasic proc FilePrintSetup(Printer:=" + quoted(row.printer) + ", DoNotSetAsSysDefault:=1) cmd",
    };
    if (pages)
        lines.insert(lines.end(), {"Opened call ComputeStatistics(2) cmd", "Opened get Content() cmd",
                                   "Content get Information(1) cmd"});
    lines.insert(lines.end(), {
                                  "Word.Application get Options() cmd",
                                  "Options get UpdateFieldsAtPrint() cmd",
                                  "Options get PrintBackground() cmd",
                                  "Options put UpdateFieldsAtPrint(true) cmd",
                                  "Options put PrintBackground(false) cmd",
                                  "Opened get StoryRanges() cmd",
                              });
    for (int story = 1; story <= 11; ++story) // each kind of story has fields of its own
        lines.insert(lines.end(), {"StoryRanges call Item(" + std::to_string(story) + ") cmd",
                                   "Item get Fields() cmd", "Fields get Count() cmd", "Item get NextStoryRange() cmd"});
    return concat(lines, {
                             "ActiveWindow proc PrintOut(" + printOut + ") cmd",
                             "Options put UpdateFieldsAtPrint(false) cmd",
                             "Options put PrintBackground(true) cmd",
                             "Word.Application get WordBasic() cmd",
                             "WordBasic proc FilePrintSetup(Printer:=\"Default\", DoNotSetAsSysDefault:=1) cmd",
                             "Opened proc Close(SaveChanges:=0) cmd",
                             "Documents get Count() cmd",
                             "Word.Application get NormalTemplate() cmd",
                             "NormalTemplate put Saved(true) cmd",
                             "Word.Application proc Quit(SaveChanges:=0) cmd",
                         });
}

// Printing every page of a row with no page ranges.
inline Lines wordPrintAll(const PrintEntry& row)
{
    return wordPrint(row, "Background:=false, Copies:=" + quoted(row.copies), false);
}

// Printing the pages `pages` (the row's page text without its quotes).
inline Lines wordPrintPages(const PrintEntry& row, const std::string& pages)
{
    return wordPrint(row,
                     "Background:=false, Range:=4, Item:=0, Pages:=" + quoted(pages)
                         + ", PageType:=0, Copies:=" + quoted(row.copies),
                     true);
}

} // namespace pravik::test::expected
