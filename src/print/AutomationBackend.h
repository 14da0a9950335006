#pragma once

#include "OutcomeUnknown.h"
#include "DocumentFile.h"
#include "PrintJobs.h"
#include "Settings.h"

#include "Variant.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace pravik {

// Call kinds with the dispatch flag each uses: Procedure and Function
// DISPATCH_METHOD (1), PropertyGet DISPATCH_PROPERTYGET (2), PropertySet
// DISPATCH_PROPERTYPUT (4). Only Function and PropertyGet yield a result;
// a PropertySet carries exactly one positional argument, the new value, which
// a COM backend passes as the argument named DISPID_PROPERTYPUT (-3).
enum class CallKind { Procedure, Function, PropertyGet, PropertySet };

std::uint16_t dispatchFlag(CallKind kind);

// The two ways a call reaches the server. The callers pick one per call,
// because servers standing in for the originals are bound by these forms.
//   Shorthand: positional arguments only; lookup and invoke with the system
//     default locale (0x0800). Unknown names and server exceptions surface
//     as EOleSysError with the result code.
//   Command (an AutoCmd executed): lookup with the thread's locale, invoke
//     with the neutral locale (0). Unknown names surface as EOleError,
//     server exceptions as EOleException.
enum class CallForm { Shorthand, Command };

inline constexpr std::uint32_t kLocaleSystemDefault = 0x0800;
inline constexpr std::uint32_t kLocaleNeutral = 0;

// nullopt: the calling thread's locale.
std::optional<std::uint32_t> lookupLocale(CallForm form);
std::uint32_t invokeLocale(CallForm form);

struct NamedParm {
    std::string name;
    Variant value;
    bool operator==(const NamedParm&) const = default;
};

// One call as the backend receives it.
struct Invocation {
    CallKind kind;
    std::string_view member;
    std::span<const Variant> args;      // in the order given
    std::span<const NamedParm> named;   // in the order added
    CallForm form;
};

// A print past its deadline whose job the print system already received:
// what the row says until `settle` has looked at the job again.
struct JobPastDeadline {
    std::string text;
    OutcomeUnknown::Settle settle;
};

// What lies under the call layer: COM on Windows, an office engine elsewhere,
// a recording double in tests. Every failure is thrown as one of the three
// automation errors; backends report unknown names and server exceptions
// through throwUnknownName and throwServerException so both forms behave
// alike whatever lies underneath.
class AutomationBackend {
public:
    virtual ~AutomationBackend() = default;

    // A new instance for the program identifier (CP932), e.g.
    // "Excel.Application". Failure: EOleSysError.
    virtual ObjectRef createObject(const std::string& progId) = 0;

    // target is an object this backend handed out. Returns the result for
    // Function and PropertyGet; whatever it returns for the other kinds is
    // dropped by the layer. Texts go both ways as CP932; a server text that
    // CP932 cannot hold is an error, never a lookalike (a sheet name with a
    // substituted character would name another sheet, or none).
    virtual Variant invoke(const ObjectRef& target, const Invocation& call) = 0;

    // How many instances of this backend may work side by side, each on its
    // own thread with its own servers. One unless the servers are known not
    // to get in each other's way.
    virtual int parallelInstances() const { return 1; }

    // The settings of the run about to use this backend.
    virtual void applySettings(const Settings&) {}

    // Run on the one thread that makes every call of this backend, before
    // its first call and after its last: a COM backend enters and leaves its
    // apartment there.
    virtual void enterThread() {}
    virtual void leaveThread() {}

    // Run on that thread while it has no work, returning within `slice`: a
    // COM backend dispatches its apartment's messages there. False when the
    // backend needs no such turn: the thread then just sleeps until work
    // comes.
    virtual bool idle(std::chrono::milliseconds /*slice*/) { return false; }

    // Called from another thread when the call in progress has run past its
    // deadline: end whatever it waits on, so that it returns with an error.
    // Later calls start afresh. May come again while the call is not back.
    virtual void abandon() {}

    // What the user calls the server of progId in messages ("Word"); empty
    // where the backend's servers have no name of their own to the user.
    virtual std::string serverName(const std::string& /*progId*/) const { return {}; }

    // Before a print starts its server: fails (pravik::Error naming the
    // printer) when the system has no printer of that name (CP932), so that
    // no server is started for a row that cannot print.
    virtual void checkPrinter(const std::string& /*printer*/) {}
    // A print run starts and ends: what a run changes of the system for all
    // its rows (the default printer) is read at the start and put back at
    // the end, however the run ended.
    virtual void runStarting() {}
    virtual void runEnded() {}

    // Before a job asks for its server: fails when the row's file (CP932)
    // is gone, unreadable or empty, so that no office is asked for it.
    virtual void checkDocument(const std::string& path) { checkDocumentFile(path); }

    // The job on `application` failed and has let go of it as best it could:
    // once nothing of that server is held any more, a server process still
    // running a few seconds later is ended, rather than left invisible with
    // the user's file locked. Never for an application handed to the user.
    virtual void endServerAfterRelease(const ObjectRef& /*application*/) {}

    // The job handed `application` to the user: its server is the user's
    // now, never to be ended, nor recorded as this run's.
    virtual void handedToUser(const ObjectRef& /*application*/) {}

    // On the backend's thread, while the user still reads the question that
    // comes before a run: starts the server a job in `mode` would first wait
    // for, where servers are kept between jobs. Returns at once; that job
    // then waits only for what is left of the start, and a start that fails
    // is told by the job as it would have been, at no further cost.
    virtual void startServerAhead(PrintMode /*mode*/) {}

    // On the backend's thread, when no work has used its servers for a
    // while: ends the servers kept for later jobs, whose memory the user may
    // want back. The next job starts them again.
    virtual void endIdleServers() {}

    // Around each job of a print run, on the backend's thread. forJob: the
    // server the job is to create; forNext: the ones the jobs after it will
    // create, nearest first (none: none, or none known). A backend whose
    // servers are slow to start may start those once the job has its own
    // server, so that their starts overlap the job; the next jobs'
    // createObject then take them. A server started ahead that none of these
    // jobs will take is ended at once.
    virtual void jobStarting(const std::string& /*forJob*/, const std::vector<std::string>& /*forNext*/) {}
    // The job has ended: a server started ahead for it that it did not take
    // (it failed or was skipped before) is ended at once.
    virtual void jobEnded() {}
    // From any thread, when the run is over or stopped: whatever was started
    // ahead is ended at once.
    virtual void endServersAhead() {}

    // Asked once, from another thread, before a call past its deadline is
    // abandoned (`printSystemWasSilent`: its own work met a print system
    // that did not answer): what stalled, when it was not the server itself
    // (the print system the server waits on, say). nullopt: the server.
    virtual std::optional<std::string> stallCause(std::chrono::seconds /*deadline*/,
                                                  bool /*printSystemWasSilent*/)
    {
        return std::nullopt;
    }

    // Asked with stallCause: when the call past its deadline is a print
    // whose job the print system has received since the print began, the
    // row is neither printed nor failed but settled from the print system
    // (failed, it would be printed twice by reprinting the failed rows).
    virtual std::optional<JobPastDeadline> jobPastDeadline(std::chrono::seconds /*deadline*/)
    {
        return std::nullopt;
    }
};

// Raise the error the form prescribes for a name the object does not know.
[[noreturn]] void throwUnknownName(CallForm form, const std::string& member);

// Raise the error the form prescribes for an exception the server reported;
// serverCode is the server's own code for it, 0 when it gave none.
[[noreturn]] void throwServerException(CallForm form, const std::string& description,
                                       const std::string& source, std::int32_t serverCode = 0);

} // namespace pravik
