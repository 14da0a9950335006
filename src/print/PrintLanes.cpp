#include "PrintLanes.h"

#include "DocumentKind.h"
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
    : size_(std::max(size, 1)), makeLane_(std::move(makeLane)), wait_(wait), deadline_(deadline)
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

int PrintLanes::leastBusyLane() const
{
    std::vector<int> unfinished(static_cast<size_t>(size_), 0);
    for (const Started& started : ahead_)
        if (!started.item->done())
            for (int index = 0; index < static_cast<int>(lanes_.size()); ++index)
                if (lanes_[static_cast<size_t>(index)]->worker == started.worker)
                    ++unfinished[static_cast<size_t>(index)];
    // The first of the least busy: a lane not made yet is made only when
    // every one made so far has a row in hand.
    return static_cast<int>(std::min_element(unfinished.begin(), unfinished.end()) - unfinished.begin());
}

void PrintLanes::startAhead(const PrintEntry& entry, PrintMode mode, const std::string& currentPrinter)
{
    const int ticket = nextTicket_++;
    Lane& target = lane(leastBusyLane());
    auto result = std::make_shared<Result>();
    PrintJobs& jobs = *target.jobs;
    SubmissionGate& gate = gate_;
    const bool excel = documentKindOfExtension(entry.extension) == DocumentKind::Excel;
    auto item = target.worker->post([&jobs, &gate, ticket, entry, mode, currentPrinter, excel, result] {
        // Stopped before it began: not even opened.
        if (gate.refused(ticket))
            throw SubmissionWithdrawn();
        SubmissionTurn turn;
        try {
            if (excel)
                result->outcome = jobs.printExcel(entry, mode);
            else
                jobs.printWord(entry, mode, currentPrinter);
        } catch (...) {
            jobs.takeNotes(); // a failed row's notes must not reach the lane's next row
            // What it rendered before failing still goes at its turn.
            result->handOvers = turn.take();
            throw;
        }
        result->notes = jobs.takeNotes();
        result->handOvers = turn.take();
    });
    ahead_.push_back({ticket, entry, std::move(item), std::move(result), target.worker});
}

JobOutcome PrintLanes::run(const PrintEntry& entry, PrintMode mode, const std::string& currentPrinter,
                           bool excel)
{
    notes_.clear();
    if (!ahead_.empty() && !(ahead_.front().entry == entry))
        discardAhead(); // not the row expected: nothing started ahead may leave
    if (ahead_.empty()) {
        Lane& first = *lanes_.front();
        JobOutcome outcome = JobOutcome::Done;
        first.worker->run(
            [&] {
                if (excel)
                    outcome = first.jobs->printExcel(entry, mode);
                else
                    first.jobs->printWord(entry, mode, currentPrinter);
            },
            wait_, deadline_);
        notes_ = first.jobs->takeNotes();
        return outcome;
    }

    Started started = std::move(ahead_.front());
    ahead_.pop_front();
    return collect(std::move(started));
}

JobOutcome PrintLanes::collect(Started started)
{
    Result& result = *started.result;
    std::exception_ptr failure;
    try {
        started.worker->await(started.item, wait_, deadline_);
    } catch (...) {
        failure = std::current_exception();
    }
    if (result.handOvers.empty()) {
        if (failure)
            std::rethrow_exception(failure);
        notes_ = std::move(result.notes);
        return result.outcome;
    }

    if (!handOverWorker_)
        handOverWorker_ = std::make_unique<AutomationWorker>(nullptr);
    std::vector<std::string> handOverNotes;
    handOverWorker_->run(
        [&] {
            jobnotes::take();
            for (HandOver& handOver : result.handOvers)
                handOver();
            handOverNotes = jobnotes::take().notes;
        },
        wait_, deadline_);
    result.handOvers.clear(); // the rendered files are the print system's now

    notes_ = std::move(handOverNotes);
    notes_.insert(notes_.end(), result.notes.begin(), result.notes.end());
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& error) {
            notes_.push_back(jobnotes::failedAfterAcceptance(error.what()));
        } catch (...) {
            notes_.push_back(jobnotes::failedAfterAcceptance("原因不明のエラーが発生しました。"));
        }
    }
    return result.outcome;
}

JobOutcome PrintLanes::printExcel(const PrintEntry& entry, PrintMode mode)
{
    return run(entry, mode, {}, true);
}

void PrintLanes::printWord(const PrintEntry& entry, PrintMode mode, const std::string& currentPrinter)
{
    run(entry, mode, currentPrinter, false);
}

std::vector<std::string> PrintLanes::takeNotes()
{
    return std::exchange(notes_, {});
}

void PrintLanes::discardAhead()
{
    if (ahead_.empty())
        return;
    gate_.refuseThrough(nextTicket_ - 1);
    while (!ahead_.empty()) {
        const Started started = std::move(ahead_.front());
        ahead_.pop_front();
        try {
            started.worker->await(started.item, wait_, deadline_);
        } catch (...) {
            // Discarded: what became of it no longer matters to anyone.
        }
    }
}

} // namespace pravik
