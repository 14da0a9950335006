#include "AutomationWorker.h"

#include "SubmissionGate.h"

#include <algorithm>

namespace pravik {

namespace {

thread_local WorkItem* currentItem = nullptr;

// While the work waits on the user, the waiting side looks again this often
// for the moment the server's clock starts again.
constexpr auto kUserWaitRecheck = std::chrono::seconds(1);
// A backend that takes turns while its thread has no work is given them this
// long: work handed over meanwhile waits at most so much.
constexpr auto kIdleSlice = std::chrono::milliseconds(20);
// Work given up is told again this often until it is back: an office being
// restarted at the first attempt has a process to end at the next.
constexpr auto kAbandonRepeat = std::chrono::seconds(1);
// Work whose call to the print system was cut goes on with its office (it
// closes the document, puts the printer back): that office is left alone
// this long after the print layer is done.
constexpr auto kAfterCutGrace = std::chrono::seconds(10);
// The work may enter a server's start at any moment, whose limit is shorter
// than the deadline: the waiting side looks again this often.
constexpr auto kStartRecheck = std::chrono::milliseconds(500);

} // namespace

std::chrono::seconds officeDeadline(int seconds)
{
    return seconds >= 1 ? std::chrono::seconds(seconds) : kDefaultOfficeDeadline;
}

bool WorkItem::done() const
{
    std::lock_guard lock(mutex_);
    return done_;
}

bool WorkItem::waitUntil(WorkClock::time_point until) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_until(lock, until, [this] { return done_; });
}

void WorkItem::onDone(std::function<void()> notify)
{
    std::lock_guard lock(mutex_);
    if (done_) {
        if (notify)
            notify();
        return;
    }
    notify_ = std::move(notify);
}

std::optional<WorkClock::time_point> WorkItem::serverWaitSince() const
{
    std::lock_guard lock(mutex_);
    if (userWaits_ > 0)
        return std::nullopt;
    return since_;
}

void WorkItem::abandon(std::chrono::seconds deadline)
{
    std::lock_guard lock(mutex_);
    if (done_)
        return;
    abandonedAt_ = deadline;
    if (startingSince_)
        abandonedInStart_ = true;
    if (printSystemWaits_ > 0) {
        cutInPrintSystem_ = true;
        return;
    }
    if (!stopped_ && leftPrintSystemAt_ && WorkClock::now() - *leftPrintSystemAt_ < kAfterCutGrace)
        return;
    // Under the lock: the work cannot end and its thread take other work
    // in the meantime.
    if (backend_)
        backend_->abandon();
}

void WorkItem::noteStallCause(std::chrono::seconds deadline, WorkWait& wait)
{
    std::shared_ptr<AutomationBackend> backend;
    bool printSystemWasSilent = false;
    {
        std::lock_guard lock(mutex_);
        if (done_ || printSystemWaits_ > 0)
            return;
        backend = backend_;
        printSystemWasSilent = metSilentPrintSystem_;
    }
    if (!backend)
        return;
    // Not under the lock, and not on the waiting thread: finding out may
    // take a few seconds.
    std::optional<std::string> cause;
    std::optional<JobPastDeadline> job;
    WorkItem asking;
    std::thread asker([&] {
        AutomationWorker::runItem(asking,
                                  [&] {
                                      job = backend->jobPastDeadline(deadline);
                                      cause = backend->stallCause(deadline, printSystemWasSilent);
                                  },
                                  nullptr);
    });
    while (!asking.done())
        wait.waitFor(asking, WorkClock::now() + kAbandonRepeat);
    asker.join();
    std::lock_guard lock(mutex_);
    stallCause_ = std::move(cause);
    jobPastDeadline_ = std::move(job);
}

bool WorkItem::stop()
{
    {
        std::lock_guard lock(mutex_);
        if (handingOver_)
            return false;
        if (done_)
            return true;
        stopped_ = true;
        // A look-up of the printers is no job yet: it is cut as well.
        if (printSystemWaits_ > 0)
            cutInPrintSystem_ = true;
    }
    abandon(std::chrono::seconds(0));
    return true;
}

bool beginHandOver()
{
    WorkItem* const item = currentItem;
    if (!item)
        return true;
    std::lock_guard lock(item->mutex_);
    if (item->stopped_)
        return false;
    item->handingOver_ = true;
    return true;
}

std::exception_ptr WorkItem::error() const
{
    std::lock_guard lock(mutex_);
    return error_;
}

bool WorkItem::abandoned() const
{
    std::lock_guard lock(mutex_);
    return abandonedAt_.has_value();
}

bool WorkItem::cutInPrintSystem() const
{
    std::lock_guard lock(mutex_);
    return cutInPrintSystem_;
}

void WorkItem::finish(std::exception_ptr error)
{
    std::lock_guard lock(mutex_);
    done_ = true;
    error_ = std::move(error);
    // Under the lock, so that a waiter that cancels its notice cannot have
    // it run afterwards.
    if (notify_)
        notify_();
    notify_ = nullptr;
    changed_.notify_all();
}

namespace {

std::string deadlineText(std::chrono::seconds deadline, const std::string& serverName)
{
    const std::string limit = "制限時間 (" + std::to_string(deadline.count()) + " 秒) 内に終わらなかったため、";
    if (serverName.empty())
        return limit + "オフィス エンジンを終了して中止しました";
    // Office shows its questions, and drivers theirs, where nobody sees them.
    return serverName + " が" + limit + serverName + " を終了して中止しました。" + serverName
        + " またはプリンターのダイアログが応答を待っていた可能性があります";
}

} // namespace

DeadlineExceeded::DeadlineExceeded(std::chrono::seconds deadline, const std::string& serverName)
    : Error(deadlineText(deadline, serverName))
{
}

DeadlineExceeded DeadlineExceeded::notStarted(std::chrono::seconds waited, const std::string& serverName)
{
    return DeadlineExceeded(serverName + " が " + std::to_string(waited.count())
                            + " 秒たっても起動しなかったため中止しました。" + serverName
                            + " を一度手動で起動し、表示される画面を閉じてから印刷し直してください");
}

std::optional<WorkClock::time_point> WorkItem::startLimitEnd() const
{
    std::lock_guard lock(mutex_);
    if (!startingSince_ || userWaits_ > 0)
        return std::nullopt;
    return *startingSince_ + startLimit_;
}

AutomationWorker::AutomationWorker(std::shared_ptr<AutomationBackend> backend)
    : backend_(std::move(backend)), thread_([this] { loop(); })
{
}

AutomationWorker::~AutomationWorker()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    queued_.notify_all();
    thread_.join();
}

void AutomationWorker::loop()
{
    if (backend_)
        backend_->enterThread();
    bool idleTurns = backend_ != nullptr;
    for (;;) {
        Task task;
        {
            std::unique_lock lock(mutex_);
            while (!stopping_ && tasks_.empty()) {
                if (idleTurns) {
                    lock.unlock();
                    idleTurns = backend_->idle(kIdleSlice);
                    lock.lock();
                    continue;
                }
                queued_.wait(lock);
            }
            if (tasks_.empty())
                break;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        runItem(*task.item, std::move(task.work), backend_);
    }
    if (backend_)
        backend_->leaveThread();
}

std::shared_ptr<WorkItem> AutomationWorker::queuedItem()
{
    auto item = std::make_shared<WorkItem>();
    item->userWaits_ = 1; // no deadline runs until a worker takes it
    return item;
}

void AutomationWorker::runItem(WorkItem& item, std::function<void()> work,
                               const std::shared_ptr<AutomationBackend>& backend)
{
    {
        std::lock_guard lock(item.mutex_);
        item.userWaits_ = 0;
        item.since_ = WorkClock::now();
        item.backend_ = backend;
    }
    WorkItem* const outer = currentItem;
    currentItem = &item;
    std::exception_ptr error;
    try {
        work();
    } catch (...) {
        error = std::current_exception();
    }
    {
        // Whatever the work waited on is no longer this work's to end.
        std::lock_guard lock(item.mutex_);
        item.backend_ = nullptr;
    }
    // The work's own objects are gone before it counts as done.
    work = nullptr;
    currentItem = outer;
    item.finish(std::move(error));
}

void AutomationWorker::run(std::function<void()> work, WorkWait& wait, std::chrono::seconds deadline)
{
    await(post(std::move(work)), wait, deadline);
}

std::shared_ptr<WorkItem> AutomationWorker::post(std::function<void()> work)
{
    auto item = std::make_shared<WorkItem>();
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back({std::move(work), item});
    }
    queued_.notify_all();
    return item;
}

void AutomationWorker::await(const std::shared_ptr<WorkItem>& item, WorkWait& wait,
                             std::chrono::seconds deadline)
{
    awaitItem(item, wait, deadline);
}

void AutomationWorker::awaitItem(const std::shared_ptr<WorkItem>& item, WorkWait& wait,
                                 std::chrono::seconds deadline)
{
    const auto stopped = [&item] {
        std::lock_guard lock(item->mutex_);
        return item->stopped_;
    };
    for (;;) {
        if (item->done()) {
            if (std::exception_ptr error = item->error()) {
                // Given up for a stop before its job left: nothing of it was printed.
                if (stopped())
                    throw SubmissionWithdrawn();
                std::rethrow_exception(error);
            }
            return;
        }
        const std::optional<WorkClock::time_point> since = item->serverWaitSince();
        WorkClock::time_point until = since ? *since + deadline : WorkClock::now() + kUserWaitRecheck;
        if (const std::optional<WorkClock::time_point> startEnd = item->startLimitEnd())
            until = std::min(until, *startEnd);
        if ((since && WorkClock::now() >= until) || item->abandoned())
            break;
        wait.waitFor(*item, std::min(until, WorkClock::now() + kStartRecheck));
    }

    if (!stopped())
        item->noteStallCause(deadline, wait);
    while (!item->done()) {
        item->abandon(deadline);
        wait.waitFor(*item, WorkClock::now() + kAbandonRepeat);
    }
    const std::exception_ptr error = item->error();
    // Its job reached the print system before the work was cut short: the
    // row printed, and the work's notes say what happened after.
    if (!error)
        return;
    if (stopped())
        throw SubmissionWithdrawn();
    // The print layer has found out what became of the job and says so.
    if (item->cutInPrintSystem())
        std::rethrow_exception(error);
    // The blocked call returned with an error once its server was gone; what
    // the work then threw says less than the deadline does.
    std::lock_guard lock(item->mutex_);
    if (item->jobPastDeadline_)
        throw OutcomeUnknown(item->jobPastDeadline_->text, item->jobPastDeadline_->settle);
    // The office engine is this program's to start; Office's own start can
    // be held up by a screen only the user can answer.
    if (item->abandonedInStart_ && !item->serverName_.empty())
        throw DeadlineExceeded::notStarted(std::min(deadline, item->startLimit_), item->serverName_);
    if (item->stallCause_)
        throw DeadlineExceeded(*item->stallCause_);
    throw DeadlineExceeded(deadline, item->serverName_);
}

bool currentWorkAbandonedInStart()
{
    WorkItem* const item = currentItem;
    if (!item)
        return false;
    std::lock_guard lock(item->mutex_);
    return item->abandonedInStart_;
}

void nameWorkServer(std::string name)
{
    if (WorkItem* const item = currentItem) {
        std::lock_guard lock(item->mutex_);
        item->serverName_ = std::move(name);
    }
}

void serverAskedAt(WorkClock::time_point since)
{
    if (WorkItem* const item = currentItem) {
        std::lock_guard lock(item->mutex_);
        if (item->startingSince_)
            item->startingSince_ = std::min(*item->startingSince_, since);
    }
}

void noteSilentPrintSystem()
{
    if (WorkItem* const item = currentItem) {
        std::lock_guard lock(item->mutex_);
        item->metSilentPrintSystem_ = true;
    }
}

std::optional<std::chrono::seconds> currentWorkAbandoned()
{
    WorkItem* const item = currentItem;
    if (!item)
        return std::nullopt;
    std::lock_guard lock(item->mutex_);
    return item->abandonedAt_;
}

UserWait::UserWait() : item_(currentItem)
{
    if (!item_)
        return;
    std::lock_guard lock(item_->mutex_);
    ++item_->userWaits_;
}

UserWait::~UserWait()
{
    if (!item_)
        return;
    std::lock_guard lock(item_->mutex_);
    if (--item_->userWaits_ == 0)
        item_->since_ = WorkClock::now();
}

ServerStart::ServerStart(std::chrono::seconds limit) : item_(currentItem)
{
    if (!item_)
        return;
    std::lock_guard lock(item_->mutex_);
    item_->startingSince_ = WorkClock::now();
    item_->startLimit_ = limit;
}

ServerStart::~ServerStart()
{
    if (!item_)
        return;
    std::lock_guard lock(item_->mutex_);
    item_->startingSince_.reset();
}

PrintSystemWait::PrintSystemWait() : item_(currentItem)
{
    if (!item_)
        return;
    std::lock_guard lock(item_->mutex_);
    ++item_->printSystemWaits_;
}

PrintSystemWait::~PrintSystemWait()
{
    if (!item_)
        return;
    std::lock_guard lock(item_->mutex_);
    if (--item_->printSystemWaits_ == 0 && item_->cutInPrintSystem_)
        item_->leftPrintSystemAt_ = WorkClock::now();
}

} // namespace pravik
