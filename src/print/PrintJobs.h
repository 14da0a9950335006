#pragma once

#include "JobNotes.h"
#include "PrintEntry.h"

#include <string>
#include <vector>

namespace pravik {

enum class PrintMode : int { Print = 0, Preview = 1 };

// How a job ended when it did not throw. Skipped: nothing was to be printed
// (an Excel row without sheets under PrintNothing); the run then goes on
// without its one-selected-row stop.
enum class JobOutcome { Done, Skipped };

// The two jobs as the print run sees them, so the run can be tested without
// any automation server.
class PrintJobs {
public:
    virtual ~PrintJobs() = default;
    virtual JobOutcome printExcel(const PrintEntry& entry, PrintMode mode) = 0;
    virtual void printWord(const PrintEntry& entry, PrintMode mode) = 0;
    // What the last job learnt that the user should know although the row
    // printed (a stopped queue, a failure after the print system had
    // accepted the job); taking them clears them.
    virtual std::vector<std::string> takeNotes() { return {}; }
    // How to take back the job that the last row gave the print system
    // (empty: none, or the system cannot); taking it clears it.
    virtual jobnotes::JobCancel takeJobCancel() { return {}; }

    // Jobs with several offices render rows before the run asks for them.
    // How many more rows they would start now (0: they run each job when
    // asked). startAhead() starts the row the run will ask for next after
    // those already started, so the run's later call for it only waits for
    // its end; its hand-over to the print system still waits for that call.
    virtual int roomAhead() const { return 0; }
    virtual void startAhead(const PrintEntry&, PrintMode) {}
    // The run stops: the rows started ahead are never handed to the print
    // system. Returns once they have ended.
    virtual void discardAhead() {}

    // Before the run asks for a row: the rows it will ask for after that one,
    // nearest first (a few at most; none: none known), so that jobs whose
    // servers are slow to start can start the next ones while the row prints.
    virtual void expectAfter(const std::vector<PrintEntry>& /*next*/) {}
};

} // namespace pravik
