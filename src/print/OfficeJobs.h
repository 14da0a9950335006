#pragma once

#include "AutomationCall.h"
#include "PrintEntry.h"
#include "PrintJobs.h"
#include "Settings.h"
#include "SheetListText.h"

#include <map>
#include <memory>
#include <string>
#include <utility>

namespace pravik {

inline constexpr const char* kExcelProgId = "Excel.Application";
inline constexpr const char* kWordProgId = "Word.Application";

// msoAutomationSecurityForceDisable.
inline constexpr std::int32_t kMacrosForceDisabled = 3;
// xlSheetVisible: a sheet neither hidden nor very hidden.
inline constexpr std::int32_t kSheetVisible = -1;

// A new instance of the office application, set before anything is opened
// in it to run no document's macros: an application started by automation
// otherwise runs every macro of the documents it opens, whatever the user's
// own settings say. Errors are raised to the caller.
Variant createOfficeApplication(AutomationCall& automation, const std::string& progId);

// Fills checkList (emptied by the caller) with the names of the workbook's
// visible sheets in workbook order, unchecked, then checks the first item
// equal (byte for byte) to each name of storedText. Starts its own Excel and
// quits it. Errors reach the caller once Excel has been let go of as far as
// it still answers. The list gets the names only once all of them were read: a
// list cut short would save as if the unread sheets had been unchecked.
void LoadSheetNames(CheckList& checkList, const std::string& path,
                    const std::string& storedText, AutomationCall& automation);

// Prints or previews one Excel row in its own Excel instance. Skipped, with
// no server started, when the row names no sheet and the settings say to
// print nothing then. Errors are raised to the caller once Excel has been
// let go of as far as it still answers.
JobOutcome PrintExcelFile(const PrintEntry& entry, PrintMode mode, const Settings& settings,
                          AutomationCall& automation);

// Prints or previews one Word row in its own Word instance, on the row's
// printer, leaving the user's default printer, options and documents as they
// were. A preview hands Word to the user, open and visible. Errors are raised
// to the caller once Word has been let go of as far as it still answers.
void PrintWordFile(const PrintEntry& entry, PrintMode mode, AutomationCall& automation);

// Opens a workbook read-only without any of the questions Excel asks on
// opening (links, passwords, read-only recommendation, a file in use), which
// would wait where nobody sees them. Returns the workbook.
Variant openWorkbook(AutomationCall& automation, const Variant& workbooks, const std::string& path);

// The two jobs bound to one backend, as the print run uses them. settings is
// read at every job and must outlive this object.
class AutomationPrintJobs : public PrintJobs {
public:
    AutomationPrintJobs(std::shared_ptr<AutomationBackend> backend, const Settings& settings);
    // Ends what was started ahead for a row that will not come.
    ~AutomationPrintJobs() override;
    AutomationPrintJobs(const AutomationPrintJobs&) = delete;
    AutomationPrintJobs& operator=(const AutomationPrintJobs&) = delete;

    JobOutcome printExcel(const PrintEntry& entry, PrintMode mode) override;
    void printWord(const PrintEntry& entry, PrintMode mode) override;
    std::vector<std::string> takeNotes() override;
    jobnotes::JobCancel takeJobCancel() override { return std::exchange(cancel_, {}); }
    // The next rows' servers may start while a row of the same application
    // prints; a row of the other one starts its own, as the first row does.
    void expectAfter(const std::vector<PrintEntry>& next) override;
    void discardAhead() override;

private:
    template <typename Job>
    JobOutcome noted(const std::string& progId, Job job);

    // A server stuck in its start (a first-run screen, activation, a
    // safe-mode question) blocks every new one of its application: after one
    // that never answered, or after two rows of it in a row that ran past
    // their deadline, the application's remaining rows fail at once.
    struct ServerHealth {
        int deadlinesInARow = 0;
        bool stuck = false;
    };
    void refuseIfStuck(const std::string& progId);
    void noteEnd(const std::string& progId);

    std::map<std::string, ServerHealth> health_;
    std::vector<std::string> notes_;
    jobnotes::JobCancel cancel_;
    // Of the rows after the next job, as far as they are of its application.
    std::vector<std::string> nextProgIds_;
    std::shared_ptr<AutomationBackend> backend_;
    AutomationCall automation_;
    const Settings& settings_;
};

} // namespace pravik
