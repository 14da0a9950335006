#pragma once

#include "AutomationCall.h"
#include "PrintEntry.h"
#include "PrintJobs.h"
#include "Settings.h"
#include "SheetListText.h"

#include <memory>
#include <string>

namespace pravik {

inline constexpr const char* kExcelProgId = "Excel.Application";
inline constexpr const char* kWordProgId = "Word.Application";

// msoAutomationSecurityForceDisable.
inline constexpr std::int32_t kMacrosForceDisabled = 3;

// A new instance of the office application, set before anything is opened
// in it to run no document's macros: an application started by automation
// otherwise runs every macro of the documents it opens, whatever the user's
// own settings say. Errors are raised to the caller.
Variant createOfficeApplication(AutomationCall& automation, const std::string& progId);

// Fills checkList (emptied by the caller) with the workbook's sheet names in
// workbook order, unchecked, then checks the first item equal (byte for byte)
// to each name of storedText. Starts its own Excel and quits it. Errors are
// not caught: Excel is not told to close or quit and every object is
// released. The list gets the names only once all of them were read: a
// list cut short would save as if the unread sheets had been unchecked.
void LoadSheetNames(CheckList& checkList, const std::string& path,
                    const std::string& storedText, AutomationCall& automation);

// Prints or previews one Excel row in its own Excel instance. Skipped, with
// no server started, when the row names no sheet and the settings say to
// print nothing then. Errors are raised to the caller; no later call is made.
JobOutcome PrintExcelFile(const PrintEntry& entry, PrintMode mode, const Settings& settings,
                          AutomationCall& automation);

// Prints or previews one Word row in its own Word instance, pointing Word at
// the row's printer and back at currentPrinter afterwards. A preview leaves
// Word open and visible. Errors are raised to the caller; no later call is
// made.
void PrintWordFile(const PrintEntry& entry, PrintMode mode, const std::string& currentPrinter,
                   AutomationCall& automation);

// The two jobs bound to one backend, as the print run uses them. settings is
// read at every job and must outlive this object.
class AutomationPrintJobs : public PrintJobs {
public:
    AutomationPrintJobs(std::shared_ptr<AutomationBackend> backend, const Settings& settings);

    JobOutcome printExcel(const PrintEntry& entry, PrintMode mode) override;
    void printWord(const PrintEntry& entry, PrintMode mode,
                   const std::string& currentPrinter) override;
    std::vector<std::string> takeNotes() override;

private:
    template <typename Job>
    JobOutcome noted(Job job);

    std::vector<std::string> notes_;
    AutomationCall automation_;
    const Settings& settings_;
};

} // namespace pravik
