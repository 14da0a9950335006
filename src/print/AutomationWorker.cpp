#include "AutomationWorker.h"

namespace pravik {

namespace {

thread_local WorkItem* currentItem = nullptr;

// While the work waits on the user, the waiting side looks again this often
// for the moment the server's clock starts again.
constexpr auto kUserWaitRecheck = std::chrono::seconds(1);

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

DeadlineExceeded::DeadlineExceeded(std::chrono::seconds deadline)
    : Error("制限時間 (" + std::to_string(deadline.count())
            + " 秒) 内に終わらなかったため、オフィス エンジンを終了して中止しました")
{
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
    for (;;) {
        Task task;
        {
            std::unique_lock lock(mutex_);
            queued_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
            if (tasks_.empty())
                break;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        runItem(*task.item, std::move(task.work));
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

void AutomationWorker::runItem(WorkItem& item, std::function<void()> work)
{
    {
        std::lock_guard lock(item.mutex_);
        item.userWaits_ = 0;
        item.since_ = WorkClock::now();
    }
    WorkItem* const outer = currentItem;
    currentItem = &item;
    std::exception_ptr error;
    try {
        work();
    } catch (...) {
        error = std::current_exception();
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
    awaitItem(item, wait, deadline, [this] {
        if (backend_)
            backend_->abandon();
    });
}

void AutomationWorker::awaitItem(const std::shared_ptr<WorkItem>& item, WorkWait& wait,
                                 std::chrono::seconds deadline, const std::function<void()>& abandon)
{
    for (;;) {
        const std::optional<WorkClock::time_point> since = item->serverWaitSince();
        const WorkClock::time_point until = since ? *since + deadline : WorkClock::now() + kUserWaitRecheck;
        if (since && WorkClock::now() >= until && !item->done())
            break;
        wait.waitFor(*item, until);
        if (item->done()) {
            std::exception_ptr error;
            {
                std::lock_guard lock(item->mutex_);
                error = item->error_;
            }
            if (error)
                std::rethrow_exception(error);
            return;
        }
    }

    abandon();
    // The blocked call returns with an error once its server is gone; what
    // the work then throws says less than the deadline does.
    while (!item->done())
        wait.waitFor(*item, WorkClock::now() + std::chrono::hours(1));
    throw DeadlineExceeded(deadline);
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

} // namespace pravik
