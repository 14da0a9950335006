#pragma once

#include "AutomationBackend.h"
#include "Error.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace pravik {

using WorkClock = std::chrono::steady_clock;

// Used when the settings give no usable deadline.
inline constexpr std::chrono::seconds kDefaultOfficeDeadline{300};

// A server that has not answered its first call by then is stuck in its
// start (a first-run screen, activation, a safe-mode question nobody sees),
// whatever the deadline of the row.
inline constexpr std::chrono::seconds kServerStartLimit{60};

// The deadline for a number of seconds as main.ini or the command line gives
// it: a value below 1 would fail every job, so it means the default.
std::chrono::seconds officeDeadline(int seconds);

class WorkWait;

// One piece of work handed to the worker thread, as the waiting side sees it.
class WorkItem {
public:
    bool done() const;
    // Blocks until the work is done or `until` has come; true when done.
    bool waitUntil(WorkClock::time_point until) const;
    // `notify` runs once, on the worker thread, when the work is done (at
    // once when it already is). An empty function cancels an earlier one;
    // once that call returns, the earlier one will not run.
    void onDone(std::function<void()> notify);
    // Since when the work has waited on the server; nullopt while it waits
    // on the user (a preview left open for reading), which no deadline limits.
    std::optional<WorkClock::time_point> serverWaitSince() const;

    // Gives the work up once it has run past `deadline`, from any thread, as
    // often as needed: while it waits on the print system, that call is cut
    // short (the print layer looks at the flag); otherwise whatever the work
    // waits on is ended. Nothing happens once the work is done, so a thread
    // that has gone on to other work is never touched.
    void abandon(std::chrono::seconds deadline);
    bool abandoned() const;
    // Before the first abandon(): asks the backend whether something else
    // than its server stalled, for the text the row fails with. The asking
    // runs on a thread of its own while `wait` passes the time, so that a
    // window keeps repainting.
    void noteStallCause(std::chrono::seconds deadline, WorkWait& wait);
    // True when abandon() found the work waiting on the print system: what
    // became of its job is the print layer's to say.
    bool cutInPrintSystem() const;

    // The run stops: gives the work up as abandon() does while its job has
    // not begun to reach the print system (see beginHandOver()), and its
    // wait then throws SubmissionWithdrawn. False when the job had begun to
    // leave: it goes on to its end.
    bool stop();

private:
    friend class AutomationWorker;
    friend class UserWait;
    friend class PrintSystemWait;
    friend class ServerStart;
    friend std::optional<std::chrono::seconds> currentWorkAbandoned();
    friend void noteSilentPrintSystem();
    friend void nameWorkServer(std::string name);
    friend void serverAskedAt(WorkClock::time_point since);
    friend bool currentWorkAbandonedInStart();
    friend bool beginHandOver();

    // The start limit's end while the work starts its server.
    std::optional<WorkClock::time_point> startLimitEnd() const;

    void finish(std::exception_ptr error);
    std::exception_ptr error() const;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool done_ = false;
    std::exception_ptr error_;
    std::function<void()> notify_;
    int userWaits_ = 0;
    WorkClock::time_point since_ = WorkClock::now();
    // The backend the work runs on, told to abandon it; set only while the
    // work runs.
    std::shared_ptr<AutomationBackend> backend_;
    std::optional<std::chrono::seconds> abandonedAt_;
    std::optional<std::string> stallCause_;
    std::optional<JobPastDeadline> jobPastDeadline_;
    int printSystemWaits_ = 0;
    bool cutInPrintSystem_ = false;
    std::optional<WorkClock::time_point> leftPrintSystemAt_; // after a cut
    bool metSilentPrintSystem_ = false;

    std::string serverName_;
    std::optional<WorkClock::time_point> startingSince_;
    std::chrono::seconds startLimit_ = kServerStartLimit;
    bool abandonedInStart_ = false;

    bool stopped_ = false;
    bool handingOver_ = false;
};

// How the handing-over thread spends the wait: blocked (no window to keep
// alive), or running the window's event loop.
class WorkWait {
public:
    virtual ~WorkWait() = default;
    // Returns when the item is done or at `until`, whichever comes first.
    virtual void waitFor(WorkItem& item, WorkClock::time_point until) = 0;
};

class BlockingWait final : public WorkWait {
public:
    void waitFor(WorkItem& item, WorkClock::time_point until) override { item.waitUntil(until); }
};

// A job that ran past its deadline and was given up. serverName is what the
// user calls the server ("Word"), empty for the office engine.
class DeadlineExceeded : public Error {
public:
    explicit DeadlineExceeded(std::chrono::seconds deadline, const std::string& serverName = {});
    // The named server never answered its first call within `waited`.
    static DeadlineExceeded notStarted(std::chrono::seconds waited, const std::string& serverName);
    // Something else than the server stalled, and `cause` says what.
    explicit DeadlineExceeded(const std::string& cause) : Error(cause) {}
};

// True when the work running on the calling thread was abandoned while its
// new server had not yet answered its first call.
bool currentWorkAbandonedInStart();

// The work running on the calling thread hands its job to the print system
// now, from where a stop no longer gives it up; false when a stop gave it up
// first (the job must not leave). True on a thread that runs no work.
bool beginHandOver();

// Names the server of the work running on the calling thread, for the text
// of its deadline.
void nameWorkServer(std::string name);

// While the work running on the calling thread waits for its new server: the
// server was asked for at `since`, before the work began (started ahead for
// it), and its start limit counts from then.
void serverAskedAt(WorkClock::time_point since);

// The work running on the calling thread has waited on a print system that
// did not answer (for the text of its deadline).
void noteSilentPrintSystem();

// The deadline the work running on the calling thread was abandoned at;
// nullopt while it may go on (and on a thread that runs no work).
std::optional<std::chrono::seconds> currentWorkAbandoned();

// The one thread that makes every call of a backend, started and ended with
// it. Objects of a backend may belong to the thread that made them (a COM
// apartment does), so all work that touches them runs here, one piece at a
// time, in the order handed over.
class AutomationWorker {
public:
    explicit AutomationWorker(std::shared_ptr<AutomationBackend> backend);
    // Waits for the work already handed over, then ends the thread.
    ~AutomationWorker();
    AutomationWorker(const AutomationWorker&) = delete;
    AutomationWorker& operator=(const AutomationWorker&) = delete;

    const std::shared_ptr<AutomationBackend>& backend() const { return backend_; }
    std::thread::id threadId() const { return thread_.get_id(); }

    // Runs work on the worker thread while `wait` passes the time, and
    // rethrows what the work threw. Work that has waited on the server for
    // longer than `deadline` is given up: the backend is told to abandon it
    // (again and again until the work is back), and DeadlineExceeded is
    // thrown instead of the work's own error. Work that still ended well
    // (its job was accepted before it was cut short) returns as usual.
    void run(std::function<void()> work, WorkWait& wait, std::chrono::seconds deadline);

    // run() in two halves, for work that goes on while the caller does
    // other things: post() hands the work over and returns at once; await()
    // waits for it as run() does, deadline included.
    std::shared_ptr<WorkItem> post(std::function<void()> work);
    void await(const std::shared_ptr<WorkItem>& item, WorkWait& wait, std::chrono::seconds deadline);

    // Work that waits where whichever of several workers is free first takes
    // it: its item, whose deadline counts only from when a worker runs it
    // with runItem() (inside work handed to that worker, whose backend is
    // told to abandon it). awaitItem() waits for it as await() does.
    static std::shared_ptr<WorkItem> queuedItem();
    static void runItem(WorkItem& item, std::function<void()> work,
                        const std::shared_ptr<AutomationBackend>& backend);
    static void awaitItem(const std::shared_ptr<WorkItem>& item, WorkWait& wait,
                          std::chrono::seconds deadline);

private:
    struct Task {
        std::function<void()> work;
        std::shared_ptr<WorkItem> item;
    };

    void loop();

    std::shared_ptr<AutomationBackend> backend_;
    std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<Task> tasks_;
    bool stopping_ = false;
    std::thread thread_;
};

// While alive on the worker thread, the work in hand waits on the user, not
// on the server: its deadline stands still, and starts in full again after.
class UserWait {
public:
    UserWait();
    ~UserWait();
    UserWait(const UserWait&) = delete;
    UserWait& operator=(const UserWait&) = delete;

private:
    WorkItem* item_;
};

// While alive on the worker thread, the work in hand waits for a new server
// to start and answer its first call: `limit` applies besides the deadline.
class ServerStart {
public:
    explicit ServerStart(std::chrono::seconds limit = kServerStartLimit);
    ~ServerStart();
    ServerStart(const ServerStart&) = delete;
    ServerStart& operator=(const ServerStart&) = delete;

private:
    WorkItem* item_;
};

// While alive on a worker thread, the work in hand waits on the print system:
// an abandonment then leaves the office alone and lets the print layer cut
// its own call short (it looks at currentWorkAbandoned()) and find out what
// the print system received.
class PrintSystemWait {
public:
    PrintSystemWait();
    ~PrintSystemWait();
    PrintSystemWait(const PrintSystemWait&) = delete;
    PrintSystemWait& operator=(const PrintSystemWait&) = delete;

private:
    WorkItem* item_;
};

} // namespace pravik
