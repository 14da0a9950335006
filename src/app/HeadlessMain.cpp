#include "HeadlessMain.h"

#include "OfficeJobs.h"
#include "OfficeLifetime.h"
#include "PrintLanes.h"
#include "StopRequests.h"
#include "SystemAutomation.h"
#include "SystemPrinters.h"

#ifndef _WIN32
#include "CupsJobCheck.h"
#endif

#include <algorithm>
#include <functional>
#include <iostream>

namespace pravik {

namespace {

// Waits as BlockingWait does, and says once that a stop request was heard:
// a row whose job is already leaving for the print system may take a while yet.
class StopHeedingWait final : public WorkWait {
public:
    // Called once, when the stop request is first seen.
    std::function<void()> onStop;

    void waitFor(WorkItem& item, WorkClock::time_point until) override
    {
        for (;;) {
            const WorkClock::time_point next = std::min(until, WorkClock::now() + std::chrono::milliseconds(250));
            if (item.waitUntil(next) || next >= until)
                return;
            if (!told_ && stopRequest() != 0) {
                told_ = true;
                std::cerr << "pravik: 中止の要求を受けました。印刷システムに送り始めた行はその送信が終わると止まります" << std::endl;
                if (onStop)
                    onStop();
            }
        }
    }

private:
    bool told_ = false;
};

// The calling thread just waits while the lanes work.
class HeadlessJobs final : public PrintJobs {
public:
    explicit HeadlessJobs(const Settings& settings)
        : worker_(makeSystemAutomationBackend()), direct_(worker_.backend(), settings)
        , lanes_(direct_, worker_, printLaneCount(settings.officeEngines, worker_.backend().get()),
                 [&settings](int lane) {
                     auto backend = makeSystemAutomationBackend(lane);
                     auto jobs = std::make_unique<AutomationPrintJobs>(backend, settings);
                     return PrintLane{std::move(backend), std::move(jobs)};
                 },
                 wait_, officeDeadline(settings.officeTimeout))
    {
        wait_.onStop = [this] { lanes_.stopRun(); };
    }

    JobOutcome printExcel(const PrintEntry& entry, PrintMode mode) override
    {
        return lanes_.printExcel(entry, mode);
    }
    void printWord(const PrintEntry& entry, PrintMode mode) override
    {
        lanes_.printWord(entry, mode);
    }
    std::vector<std::string> takeNotes() override { return lanes_.takeNotes(); }
    int roomAhead() const override { return lanes_.roomAhead(); }
    void startAhead(const PrintEntry& entry, PrintMode mode) override
    {
        lanes_.startAhead(entry, mode);
    }
    void discardAhead() override { lanes_.discardAhead(); }
    void expectAfter(const std::vector<PrintEntry>& next) override { lanes_.expectAfter(next); }

private:
    AutomationWorker worker_;
    AutomationPrintJobs direct_;
    StopHeedingWait wait_;
    PrintLanes lanes_;
};

} // namespace

int runWithoutWindows(const HeadlessOptions& options)
{
    HeadlessServices services;
    services.currentPrinter = [] { return printers::currentPrinterName(); };
    services.makeJobs = [](const Settings& settings) -> std::unique_ptr<PrintJobs> {
        return std::make_unique<HeadlessJobs>(settings);
    };
    // A second request ends the program at once, still without a spool file left behind.
    handleStopRequests(office::removeSpoolFileNow);
    services.stopSignal = [] { return stopRequest(); };
#ifndef _WIN32
    services.leftByEndedRuns = [] { return printers::cancelJobsLeftByEndedRuns(); };
#endif
    services.afterPreview = [] {
        if (office::kPreviewsEndWithProgram)
            std::cerr << "プレビューのウィンドウをすべて閉じると終了します。" << std::endl;
        office::waitUntilPreviewsClosed();
    };
    const int status = runHeadless(options, services, std::cout, std::cerr);
    office::shutdownEngines();
    return status;
}

} // namespace pravik
