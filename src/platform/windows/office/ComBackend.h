#pragma once

#include "AutomationBackend.h"
#include "DefaultPrinterKeeper.h"
#include "SpoolerCalls.h"

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct IMessageFilter;

namespace pravik::win {

class ComApartment;
class BusyServerFilter;
class ServerEnding;

// The automation call layer over COM: late-bound IDispatch calls, names
// looked up at every call. Every call comes from the one thread between
// enterThread() and leaveThread(): a single-threaded apartment whose
// message filter retries the calls a starting or busy server rejects.
// Objects are released on the thread that drops their last reference,
// which is that thread.
class ComBackend : public AutomationBackend {
public:
    // The spooler is asked about the print jobs of the servers.
    explicit ComBackend(std::shared_ptr<printers::SpoolerCalls> spooler = printers::systemSpooler());
    ~ComBackend() override;

    ObjectRef createObject(const std::string& progId) override;
    Variant invoke(const ObjectRef& target, const Invocation& call) override;
    // Rejected calls are retried for no longer than the deadline.
    void applySettings(const Settings& settings) override;
    void enterThread() override;
    void leaveThread() override;
    // Dispatches the apartment's messages while the thread waits for work,
    // as a single-threaded apartment must.
    bool idle(std::chrono::milliseconds slice) override;
    // Cancels the call in progress on the automation thread; a few seconds
    // after the first request, ends the server processes whose objects the
    // work still holds (once no job of theirs is still being spooled).
    // Later calls of that work fail at once. Returns at once; safe from any
    // thread, as often as needed.
    void abandon() override;
    std::string serverName(const std::string& progId) const override;
    // From the spooler's printer list.
    void checkPrinter(const std::string& printer) override;
    void endServerAfterRelease(const ObjectRef& application) override;
    void handedToUser(const ObjectRef& application) override;
    // A print system that still receives, slowly, the last print job of a
    // server in use.
    std::optional<std::string> stallCause(std::chrono::seconds deadline, bool printSystemWasSilent) override;
    // A job of this user on the printer of the print in hand since it began.
    std::optional<JobPastDeadline> jobPastDeadline(std::chrono::seconds deadline) override;
    // A server for each of the next jobs told, started together once the
    // job's own has started, each on a thread of its own (SpareServer.h),
    // and taken in turn by the next jobs' createObject of the same ProgID,
    // even while still starting.
    void jobStarting(const std::string& forJob, const std::vector<std::string>& forNext) override;
    void jobEnded() override;
    // The user's default printer, which Windows may move to each row's
    // printer, is put back after each row and at the end.
    void runStarting() override;
    void runEnded() override;
    void endServersAhead() override;

private:
    struct Servers;
    struct Spare;
    std::unique_ptr<Spare> takeSpare(const std::string& progId);
    void startSpares();
    // Lets go of a spare; its thread is joined later, at the latest with the backend.
    void retire(std::unique_ptr<Spare> spare);
    // Lets go of the spares from `kept` on.
    void letGoOfSpares(size_t kept = 0);

    std::shared_ptr<printers::SpoolerCalls> spooler_;
    std::shared_ptr<ServerEnding> ending_;
    std::shared_ptr<Servers> servers_;
    std::mutex enderMutex_;
    std::thread ender_; // ends the servers of abandoned work after a grace period
    std::unique_ptr<ComApartment> apartment_;
    BusyServerFilter* filter_ = nullptr;
    IMessageFilter* previousFilter_ = nullptr;
    bool filterRegistered_ = false;

    std::mutex spareMutex_;
    std::deque<std::unique_ptr<Spare>> spares_; // in the order of the jobs they are for
    bool spareForJob_ = false;                  // the first was there when the job in hand started
    std::vector<std::string> startAhead_;       // the ProgIDs of the next jobs' servers
    std::vector<std::unique_ptr<Spare>> retired_;
    DefaultPrinterKeeper runDefault_;
};

} // namespace pravik::win
