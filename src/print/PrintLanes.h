#pragma once

#include "AutomationWorker.h"
#include "PrintJobs.h"
#include "SubmissionGate.h"

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace pravik {

// The most offices a run may use side by side, whatever main.ini says.
inline constexpr int kMaxPrintLanes = 8;

// The number of lanes for the "ENGINES" setting (below 1: the default, one
// more than the cores, at most 4), as far as the backend allows.
int printLaneCount(int engines, const AutomationBackend* backend);

// One more office for a run: the backend its jobs call (told to abandon a job
// past its deadline) and the jobs bound to it.
struct PrintLane {
    std::shared_ptr<AutomationBackend> backend;
    std::unique_ptr<PrintJobs> jobs;
};

// The jobs of a run spread over several offices, each with its own thread.
// Rows started ahead run their jobs at once, each on the office with the
// least work in hand; a rendered job is handed to the print system only when
// the run asks for that row, so jobs leave in list order while the offices
// go on with later rows. Without rows started ahead (a preview, a single
// lane) each job runs on the first lane when asked, one at a time.
class PrintLanes final : public PrintJobs {
public:
    using MakeLane = std::function<PrintLane(int index)>;

    // `first` runs on `firstWorker`; lanes 1 to size - 1 are made by makeLane
    // when a row first needs them.
    PrintLanes(PrintJobs& first, AutomationWorker& firstWorker, int size, MakeLane makeLane,
               WorkWait& wait, std::chrono::seconds deadline);
    // Discards whatever was started ahead, then ends the lanes' threads.
    ~PrintLanes() override;
    PrintLanes(const PrintLanes&) = delete;
    PrintLanes& operator=(const PrintLanes&) = delete;

    JobOutcome printExcel(const PrintEntry& entry, PrintMode mode) override;
    void printWord(const PrintEntry& entry, PrintMode mode, const std::string& currentPrinter) override;
    std::vector<std::string> takeNotes() override;

    int roomAhead() const override;
    void startAhead(const PrintEntry& entry, PrintMode mode, const std::string& currentPrinter) override;
    void discardAhead() override;

    // Lanes made so far, the first included.
    int lanesStarted() const { return static_cast<int>(lanes_.size()); }

private:
    struct Lane {
        PrintLane made;
        std::unique_ptr<AutomationWorker> ownWorker;
        AutomationWorker* worker = nullptr;
        PrintJobs* jobs = nullptr;
    };
    struct Result {
        JobOutcome outcome = JobOutcome::Done;
        std::vector<std::string> notes;
        std::vector<HandOver> handOvers; // rendered, waiting for the row's turn
    };
    struct Started {
        int ticket;
        PrintEntry entry;
        std::shared_ptr<WorkItem> item;
        std::shared_ptr<Result> result;
        AutomationWorker* worker;
    };

    Lane& lane(int index);
    // The lane for the next row started ahead: the one with the fewest
    // unfinished rows, so a lane with quick rows takes more of them.
    int leastBusyLane() const;
    // A row that ran ahead: its job's end, then its hand-over.
    JobOutcome collect(Started started);
    // The row's job: collected when it was started ahead, else run now.
    JobOutcome run(const PrintEntry& entry, PrintMode mode, const std::string& currentPrinter,
                   bool excel);

    std::vector<std::unique_ptr<Lane>> lanes_;
    int size_;
    MakeLane makeLane_;
    WorkWait& wait_;
    std::chrono::seconds deadline_;
    SubmissionGate gate_;
    int nextTicket_ = 0;
    std::deque<Started> ahead_;
    std::vector<std::string> notes_;
    // Hands rows over to the print system, so that a print system that does
    // not answer keeps no window waiting and meets the deadline.
    std::unique_ptr<AutomationWorker> handOverWorker_;
};

} // namespace pravik
