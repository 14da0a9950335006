#pragma once

#include "AutomationWorker.h"
#include "PrintJobs.h"
#include "SubmissionGate.h"

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
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
// Rows started ahead wait in one line, and each office that is free takes
// the first of them; a rendered job is handed to the print system only when
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
    void printWord(const PrintEntry& entry, PrintMode mode) override;
    std::vector<std::string> takeNotes() override;
    jobnotes::JobCancel takeJobCancel() override { return std::exchange(cancel_, {}); }

    int roomAhead() const override;
    void startAhead(const PrintEntry& entry, PrintMode mode) override;
    // Also ends what the lanes' jobs started ahead for their next rows.
    void discardAhead() override;
    // Told to the first lane's jobs when it runs every row: rows started
    // ahead go to whichever lane is free first, so no lane knows its next.
    void expectAfter(const std::vector<PrintEntry>& next) override;
    // The run is stopping: the rows started ahead are given up now, their
    // offices ended, rather than after the row in hand. From the run's
    // thread, also from inside a wait of that row.
    void abandonAhead();
    // The run is stopping: besides the rows started ahead, the row in hand
    // is given up at once (its job then throws SubmissionWithdrawn) while
    // its job has not begun to reach the print system; a preview is left
    // to its reader. From the run's thread, also from inside a wait.
    void stopRun();

    // Lanes made so far, the first included.
    int lanesStarted() const { return static_cast<int>(lanes_.size()); }

private:
    struct Lane {
        PrintLane made;
        std::unique_ptr<AutomationWorker> ownWorker;
        AutomationWorker* worker = nullptr;
        PrintJobs* jobs = nullptr;
    };
    // A row started ahead, from its start to its hand-over.
    struct AheadRow {
        int ticket = 0;
        PrintEntry entry;
        PrintMode mode = PrintMode::Print;
        std::shared_ptr<WorkItem> item = AutomationWorker::queuedItem();
        // Written by that lane before the item is done.
        JobOutcome outcome = JobOutcome::Done;
        std::vector<std::string> notes;
        std::vector<HandOver> handOvers; // rendered, waiting for the row's turn
    };

    Lane& lane(int index);
    // On lane `index`'s thread: takes the waiting rows one by one, first
    // come first, until none waits.
    void takeRows(int index, PrintJobs& jobs, const std::shared_ptr<AutomationBackend>& backend);
    void runAhead(AheadRow& row, PrintJobs& jobs);
    // Waits for the row's job, abandoning it on its office at the deadline.
    void awaitRow(const AheadRow& row);
    // A row that ran ahead: its job's end, then its hand-over.
    JobOutcome collect(AheadRow& row);
    // The row's job: collected when it was started ahead, else run now.
    JobOutcome run(const PrintEntry& entry, PrintMode mode, bool excel);

    // The work of the row in hand while a stop may give it up (a preview's
    // never); cleared when the row ends or its job leaves.
    std::shared_ptr<WorkItem> inHand_;
    bool stopping_ = false;

    std::vector<std::unique_ptr<Lane>> lanes_;
    int size_;
    MakeLane makeLane_;
    WorkWait& wait_;
    std::chrono::seconds deadline_;
    SubmissionGate gate_;
    int nextTicket_ = 0;
    std::deque<std::shared_ptr<AheadRow>> ahead_; // in list order
    std::mutex takeMutex_;
    std::deque<std::shared_ptr<AheadRow>> waiting_; // started, not yet taken
    std::vector<bool> taking_;                       // by lane: taking rows
    std::vector<std::shared_ptr<WorkItem>> takers_;  // the lanes' takeRows work
    std::vector<std::string> notes_;
    jobnotes::JobCancel cancel_;
    // Hands rows over to the print system, so that a print system that does
    // not answer keeps no window waiting and meets the deadline.
    std::unique_ptr<AutomationWorker> handOverWorker_;
};

} // namespace pravik
