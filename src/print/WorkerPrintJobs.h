#pragma once

#include "AutomationWorker.h"
#include "PrintJobs.h"

#include <chrono>

namespace pravik {

// The jobs of `inner` run on the worker thread, each within the deadline,
// while `wait` passes the time on the calling thread.
class WorkerPrintJobs final : public PrintJobs {
public:
    WorkerPrintJobs(PrintJobs& inner, AutomationWorker& worker, WorkWait& wait,
                    std::chrono::seconds deadline)
        : inner_(inner), worker_(worker), wait_(wait), deadline_(deadline)
    {
    }

    JobOutcome printExcel(const PrintEntry& entry, PrintMode mode) override
    {
        JobOutcome outcome = JobOutcome::Done;
        worker_.run([&] { outcome = inner_.printExcel(entry, mode); }, wait_, deadline_);
        return outcome;
    }

    void printWord(const PrintEntry& entry, PrintMode mode) override
    {
        worker_.run([&] { inner_.printWord(entry, mode); }, wait_, deadline_);
    }

    // Read once the job has ended, so the worker no longer writes them.
    std::vector<std::string> takeNotes() override { return inner_.takeNotes(); }
    jobnotes::JobCancel takeJobCancel() override { return inner_.takeJobCancel(); }

private:
    PrintJobs& inner_;
    AutomationWorker& worker_;
    WorkWait& wait_;
    std::chrono::seconds deadline_;
};

} // namespace pravik
