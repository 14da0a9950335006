#include "OfficeJobs.h"

#include "AutomationWorker.h"
#include "JobNotes.h"

#include <utility>

namespace pravik {

AutomationPrintJobs::AutomationPrintJobs(std::shared_ptr<AutomationBackend> backend,
                                         const Settings& settings)
    : automation_(backend)
    , settings_(settings)
{
    backend->applySettings(settings);
}

template <typename Job>
JobOutcome AutomationPrintJobs::noted(Job job)
{
    jobnotes::take(); // nothing of an earlier job
    notes_.clear();
    try {
        const JobOutcome outcome = job();
        notes_ = jobnotes::take().notes;
        return outcome;
    } catch (const std::exception& error) {
        jobnotes::Taken taken = jobnotes::take();
        if (!taken.accepted)
            throw;
        // The print system has the job and prints it. Reporting the row as
        // failed would have it printed twice by whoever prints the failed
        // rows again, so it counts as printed and the failure is told.
        notes_ = std::move(taken.notes);
        // Cut short at its deadline, the job's error is only the echo of that.
        const std::optional<std::chrono::seconds> deadline = currentWorkAbandoned();
        notes_.push_back(jobnotes::failedAfterAcceptance(deadline ? DeadlineExceeded(*deadline).what()
                                                                  : error.what()));
        return JobOutcome::Done;
    }
}

JobOutcome AutomationPrintJobs::printExcel(const PrintEntry& entry, PrintMode mode)
{
    return noted([&] { return PrintExcelFile(entry, mode, settings_, automation_); });
}

void AutomationPrintJobs::printWord(const PrintEntry& entry, PrintMode mode,
                                    const std::string& currentPrinter)
{
    noted([&] {
        PrintWordFile(entry, mode, currentPrinter, automation_);
        return JobOutcome::Done;
    });
}

std::vector<std::string> AutomationPrintJobs::takeNotes() { return std::exchange(notes_, {}); }

} // namespace pravik
