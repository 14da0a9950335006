#include "OfficeJobs.h"

#include "AutomationWorker.h"
#include "DocumentKind.h"
#include "JobNotes.h"
#include "StepTimes.h"

#include <utility>

namespace pravik {

namespace {

// Tells the backend that the job has ended, however it ends.
class JobEnd {
public:
    explicit JobEnd(AutomationBackend& backend) : backend_(backend) {}
    ~JobEnd()
    {
        try {
            backend_.jobEnded();
        } catch (...) {
            // The job's own outcome is the one to tell.
        }
    }
    JobEnd(const JobEnd&) = delete;
    JobEnd& operator=(const JobEnd&) = delete;

private:
    AutomationBackend& backend_;
};

} // namespace

AutomationPrintJobs::AutomationPrintJobs(std::shared_ptr<AutomationBackend> backend,
                                         const Settings& settings)
    : backend_(backend)
    , automation_(backend)
    , settings_(settings)
{
    backend->applySettings(settings);
    backend->runStarting();
}

AutomationPrintJobs::~AutomationPrintJobs()
{
    AutomationPrintJobs::discardAhead();
    try {
        backend_->runEnded();
    } catch (...) {
        // Nothing more can be put back now.
    }
}

void AutomationPrintJobs::expectAfter(const std::vector<PrintEntry>& next)
{
    nextProgIds_.clear();
    for (const PrintEntry& entry : next) {
        const DocumentKind kind = documentKindOfExtension(entry.extension);
        if (kind != DocumentKind::Excel && kind != DocumentKind::Word)
            return;
        // A row whose file is gone or empty will ask for no server.
        try {
            backend_->checkDocument(entry.filePath);
        } catch (const Error&) {
            return;
        }
        nextProgIds_.push_back(kind == DocumentKind::Excel ? kExcelProgId : kWordProgId);
    }
}

void AutomationPrintJobs::discardAhead()
{
    nextProgIds_.clear();
    try {
        backend_->endServersAhead();
    } catch (...) {
        // What cannot be ended now ends with the backend.
    }
}

void AutomationPrintJobs::refuseIfStuck(const std::string& progId)
{
    if (!health_[progId].stuck)
        return;
    const std::string name = automation_.serverName(progId);
    throw Error(name + " が起動しないか応答しないため、この行は印刷しませんでした。" + name
                + " を一度手動で起動し、表示される画面（初回の設定、ライセンス認証、セーフ モードの確認など）を閉じてから、もう一度印刷してください");
}

void AutomationPrintJobs::noteEnd(const std::string& progId)
{
    // The office engine restarts its own offices; Office's servers are the
    // ones that stay stuck.
    if (automation_.serverName(progId).empty())
        return;
    ServerHealth& health = health_[progId];
    if (!currentWorkAbandoned()) {
        health.deadlinesInARow = 0;
        return;
    }
    ++health.deadlinesInARow;
    health.stuck = health.stuck || currentWorkAbandonedInStart() || health.deadlinesInARow >= 2;
}

template <typename Job>
JobOutcome AutomationPrintJobs::noted(const std::string& progId, Job job)
{
    steps::reached("job started on its office's thread");
    // Only the rows of its own application that follow it at once.
    std::vector<std::string> sameAfter;
    for (const std::string& next : nextProgIds_) {
        if (next != progId)
            break;
        sameAfter.push_back(next);
    }
    backend_->jobStarting(progId, sameAfter);
    const JobEnd ended(*backend_);
    refuseIfStuck(progId);
    jobnotes::take(); // nothing of an earlier job
    notes_.clear();
    cancel_ = nullptr;
    try {
        const JobOutcome outcome = job();
        noteEnd(progId);
        jobnotes::Taken taken = jobnotes::take();
        notes_ = std::move(taken.notes);
        cancel_ = std::move(taken.cancel);
        return outcome;
    } catch (const std::exception& error) {
        noteEnd(progId);
        jobnotes::Taken taken = jobnotes::take();
        if (!taken.accepted)
            throw;
        cancel_ = std::move(taken.cancel);
        // The print system has the job and prints it. Reporting the row as
        // failed would have it printed twice by whoever prints the failed
        // rows again, so it counts as printed and the failure is told.
        notes_ = std::move(taken.notes);
        // Cut short at its deadline, the job's error is only the echo of that.
        const std::optional<std::chrono::seconds> deadline = currentWorkAbandoned();
        notes_.push_back(jobnotes::failedAfterAcceptance(
            deadline ? DeadlineExceeded(*deadline, automation_.serverName(progId)).what() : error.what()));
        return JobOutcome::Done;
    }
}

JobOutcome AutomationPrintJobs::printExcel(const PrintEntry& entry, PrintMode mode)
{
    return noted(kExcelProgId, [&] { return PrintExcelFile(entry, mode, settings_, automation_); });
}

void AutomationPrintJobs::printWord(const PrintEntry& entry, PrintMode mode)
{
    noted(kWordProgId, [&] {
        PrintWordFile(entry, mode, automation_);
        return JobOutcome::Done;
    });
}

std::vector<std::string> AutomationPrintJobs::takeNotes() { return std::exchange(notes_, {}); }

} // namespace pravik
