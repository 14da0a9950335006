#include "PrintLanes.h"

#include "DocumentKind.h"
#include "Error.h"
#include "JobNotes.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace pravik {

int printLaneCount(int engines, const AutomationBackend* backend)
{
    int count = engines;
    // Part of each row an office waits (on the print system, on this
    // program's calls), so one more office than cores keeps the cores busy.
    if (count < 1)
        count = std::clamp(static_cast<int>(std::thread::hardware_concurrency()) + 1, 2, 4);
    count = std::min(count, kMaxPrintLanes);
    const int allowed = backend ? std::max(backend->parallelInstances(), 1) : 1;
    return std::min(count, allowed);
}

PrintLanes::PrintLanes(PrintJobs& first, AutomationWorker& firstWorker, int size, MakeLane makeLane,
                       WorkWait& wait, std::chrono::seconds deadline)
    : size_(std::max(size, 1))
    , makeLane_(std::move(makeLane))
    , wait_(wait)
    , deadline_(deadline)
    , taking_(static_cast<size_t>(size_), false)
{
    auto lane = std::make_unique<Lane>();
    lane->worker = &firstWorker;
    lane->jobs = &first;
    lanes_.push_back(std::move(lane));
}

PrintLanes::~PrintLanes()
{
    try {
        discardAhead();
    } catch (...) {
        // Nothing of a discarded row is worth more than ending cleanly.
    }
    // The first lane's thread and jobs are not ours: nothing of this run
    // may be left in its queue.
    for (const std::shared_ptr<WorkItem>& taker : takers_)
        while (!taker->waitUntil(WorkClock::now() + std::chrono::hours(1))) {
        }
}

PrintLanes::Lane& PrintLanes::lane(int index)
{
    while (static_cast<int>(lanes_.size()) <= index) {
        auto lane = std::make_unique<Lane>();
        lane->made = makeLane_(static_cast<int>(lanes_.size()));
        lane->ownWorker = std::make_unique<AutomationWorker>(lane->made.backend);
        lane->worker = lane->ownWorker.get();
        lane->jobs = lane->made.jobs.get();
        lanes_.push_back(std::move(lane));
    }
    return *lanes_[static_cast<size_t>(index)];
}

namespace {

// Forgets the row in hand however its job ends.
class InHandEnd {
public:
    explicit InHandEnd(std::shared_ptr<WorkItem>& item) : item_(item) {}
    ~InHandEnd() { item_ = nullptr; }
    InHandEnd(const InHandEnd&) = delete;
    InHandEnd& operator=(const InHandEnd&) = delete;

private:
    std::shared_ptr<WorkItem>& item_;
};

// Rows in hand per lane: a lane that rendered a row goes on with the next one
// while the earlier rows' jobs are still to leave.
constexpr int kRowsAheadPerLane = 2;

} // namespace

int PrintLanes::roomAhead() const
{
    if (size_ < 2)
        return 0;
    return size_ * kRowsAheadPerLane - static_cast<int>(ahead_.size());
}

void PrintLanes::startAhead(const PrintEntry& entry, PrintMode mode)
{
    auto row = std::make_shared<AheadRow>();
    row->ticket = nextTicket_++;
    row->entry = entry;
    row->mode = mode;
    ahead_.push_back(row);

    int idle = -1;
    {
        std::lock_guard lock(takeMutex_);
        waiting_.push_back(row);
        for (size_t index = 0; index < lanes_.size() && idle < 0; ++index)
            if (!taking_[index])
                idle = static_cast<int>(index);
        // A further office starts only when every one there is has a row.
        if (idle < 0 && static_cast<int>(lanes_.size()) < size_)
            idle = static_cast<int>(lanes_.size());
        if (idle >= 0)
            taking_[static_cast<size_t>(idle)] = true;
    }
    if (idle < 0)
        return;
    std::erase_if(takers_, [](const std::shared_ptr<WorkItem>& taker) { return taker->done(); });
    Lane& taker = lane(idle);
    takers_.push_back(taker.worker->post(
        [this, idle, &jobs = *taker.jobs, backend = taker.worker->backend()] { takeRows(idle, jobs, backend); }));
}

void PrintLanes::takeRows(int index, PrintJobs& jobs, const std::shared_ptr<AutomationBackend>& backend)
{
    for (;;) {
        std::shared_ptr<AheadRow> row;
        {
            std::lock_guard lock(takeMutex_);
            if (waiting_.empty()) {
                taking_[static_cast<size_t>(index)] = false;
                return;
            }
            row = std::move(waiting_.front());
            waiting_.pop_front();
        }
        // A deadline ends this row's office while it runs this row only.
        AutomationWorker::runItem(*row->item, [this, &row, &jobs] { runAhead(*row, jobs); }, backend);
    }
}

void PrintLanes::runAhead(AheadRow& row, PrintJobs& jobs)
{
    // Stopped before it began: not even opened.
    if (gate_.refused(row.ticket))
        throw SubmissionWithdrawn();
    SubmissionTurn turn;
    try {
        if (documentKindOfExtension(row.entry.extension) == DocumentKind::Excel)
            row.outcome = jobs.printExcel(row.entry, row.mode);
        else
            jobs.printWord(row.entry, row.mode);
    } catch (...) {
        jobs.takeNotes(); // a failed row's notes must not reach the lane's next row
        // What it rendered before failing still goes at its turn.
        row.handOvers = turn.take();
        throw;
    }
    row.notes = jobs.takeNotes();
    row.handOvers = turn.take();
}

void PrintLanes::awaitRow(const AheadRow& row)
{
    AutomationWorker::awaitItem(row.item, wait_, deadline_);
}

JobOutcome PrintLanes::run(const PrintEntry& entry, PrintMode mode, bool excel)
{
    notes_.clear();
    cancel_ = nullptr;
    if (!ahead_.empty() && !(ahead_.front()->entry == entry))
        discardAhead(); // not the row expected: nothing started ahead may leave
    const InHandEnd ended(inHand_);
    if (ahead_.empty()) {
        Lane& first = *lanes_.front();
        JobOutcome outcome = JobOutcome::Done;
        const std::shared_ptr<WorkItem> item = first.worker->post([&] {
            if (excel)
                outcome = first.jobs->printExcel(entry, mode);
            else
                first.jobs->printWord(entry, mode);
        });
        if (mode == PrintMode::Print)
            inHand_ = item;
        try {
            first.worker->await(item, wait_, deadline_);
        } catch (...) {
            cancel_ = first.jobs->takeJobCancel(); // accepted, then failed: it may still print
            throw;
        }
        notes_ = first.jobs->takeNotes();
        cancel_ = first.jobs->takeJobCancel();
        return outcome;
    }

    const std::shared_ptr<AheadRow> row = std::move(ahead_.front());
    ahead_.pop_front();
    if (row->mode == PrintMode::Print)
        inHand_ = row->item;
    return collect(*row);
}

JobOutcome PrintLanes::collect(AheadRow& row)
{
    std::exception_ptr failure;
    try {
        awaitRow(row);
    } catch (...) {
        failure = std::current_exception();
    }
    if (row.handOvers.empty()) {
        if (failure)
            std::rethrow_exception(failure);
        notes_ = std::move(row.notes);
        return row.outcome;
    }

    // Stopped while it rendered: its job does not leave.
    if (stopping_) {
        row.handOvers.clear();
        throw SubmissionWithdrawn();
    }
    inHand_ = nullptr; // its job is leaving: a stop no longer gives it up
    if (!handOverWorker_)
        handOverWorker_ = std::make_unique<AutomationWorker>(nullptr);
    std::vector<std::string> handOverNotes;
    handOverWorker_->run(
        [&] {
            jobnotes::take();
            for (HandOver& handOver : row.handOvers)
                handOver();
            jobnotes::Taken taken = jobnotes::take();
            handOverNotes = std::move(taken.notes);
            cancel_ = std::move(taken.cancel);
        },
        wait_, deadline_);
    row.handOvers.clear(); // the rendered files are the print system's now

    notes_ = std::move(handOverNotes);
    notes_.insert(notes_.end(), row.notes.begin(), row.notes.end());
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& error) {
            notes_.push_back(jobnotes::failedBeforeHandOver(error.what()));
        } catch (...) {
            notes_.push_back(jobnotes::failedBeforeHandOver(kUnknownErrorText));
        }
    }
    return row.outcome;
}

JobOutcome PrintLanes::printExcel(const PrintEntry& entry, PrintMode mode)
{
    return run(entry, mode, true);
}

void PrintLanes::printWord(const PrintEntry& entry, PrintMode mode)
{
    run(entry, mode, false);
}

std::vector<std::string> PrintLanes::takeNotes()
{
    return std::exchange(notes_, {});
}

void PrintLanes::abandonAhead()
{
    if (ahead_.empty())
        return;
    gate_.refuseThrough(nextTicket_ - 1);
    // Nobody waits for rows that will never print: those in flight are given
    // up at once, their offices ended (rows not begun are refused above).
    for (const std::shared_ptr<AheadRow>& row : ahead_)
        row->item->abandon(deadline_);
}

void PrintLanes::stopRun()
{
    stopping_ = true;
    abandonAhead();
    if (inHand_ && inHand_->stop())
        inHand_ = nullptr;
}

void PrintLanes::discardAhead()
{
    abandonAhead();
    while (!ahead_.empty()) {
        const std::shared_ptr<AheadRow> row = std::move(ahead_.front());
        ahead_.pop_front();
        try {
            awaitRow(*row);
        } catch (...) {
            // Discarded: what became of it no longer matters to anyone.
        }
        // Its rendered files go now, not when the lane's thread lets go of
        // the row a moment later. A lane still busy with it (past its
        // deadline) drops them itself.
        if (row->item->done())
            row->handOvers.clear();
    }
    for (const std::unique_ptr<Lane>& lane : lanes_)
        lane->jobs->discardAhead();
}

void PrintLanes::expectAfter(const std::vector<PrintEntry>& next)
{
    if (size_ < 2)
        lanes_.front()->jobs->expectAfter(next);
}

} // namespace pravik
