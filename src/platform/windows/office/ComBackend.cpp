#include "ComBackend.h"

#include "AutomationErrors.h"
#include "AutomationWorker.h"
#include "BusyServerFilter.h"
#include "CallTraits.h"
#include "ComApartment.h"
#include "ComValues.h"
#include "DefaultPrinterKeeper.h"
#include "JobNotes.h"
#include "OwnCalls.h"
#include "PrintPastDeadline.h"
#include "ServerEnding.h"
#include "ServerFailures.h"
#include "ServerLaunch.h"
#include "ServerRecords.h"
#include "ServerWindow.h"
#include "SpareServer.h"
#include "SpoolProgress.h"
#include "SpoolerJobCancel.h"
#include "SubmissionGate.h"
#include "SystemMessage.h"
#include "SystemPrinters.h"
#include "TextCodec.h"
#include "UserHold.h"
#include "WideText.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

namespace pravik::win {

namespace {

// After the first request to abandon, how long a cancelled call has to
// return before its server is ended; and how long a server let go of after
// a failed job has to quit by itself.
constexpr auto kEndServerAfter = std::chrono::seconds(5);

// A server that was ending when asked for a new one is asked again once,
// after this.
constexpr auto kStartAgainAfter = std::chrono::seconds(1);

// Two looks at a print job this far apart tell whether it still grows: an
// office rendering a complex page can send nothing for a few seconds.
constexpr auto kSpoolLooksApart = std::chrono::milliseconds(4000);

constexpr std::int32_t kCallCancelled = olecode::make(0x8001011Fu); // RPC_E_CALL_CANCELED

// Wine's CoCancelCall is a stub that raises an exception; there the server
// is ended after the grace period instead.
bool callsCanBeCancelled()
{
    static const bool can
        = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr;
    return can;
}

std::string reasonOf(HRESULT hr)
{
    const std::string text = systemMessage(hr);
    return text.empty() ? describeOleCode(static_cast<std::int32_t>(hr)) : text;
}

[[noreturn]] void throwCode(HRESULT hr, const std::string& detail = {})
{
    throw EOleSysError(static_cast<std::int32_t>(hr), reasonOf(hr) + detail);
}

std::wstring wideName(const std::string& cp932)
{
    try {
        return widen(cp932);
    } catch (const codec::ConversionError& error) {
        throw EOleSysError(olecode::UnknownName, error.what());
    }
}

const ComObject& comObjectOf(const ObjectRef& target)
{
    auto* object = dynamic_cast<const ComObject*>(target.get());
    if (!object)
        throw EOleSysError(olecode::TypeMismatch, "別の仕組みのオブジェクトは呼び出せません");
    return *object;
}

// EXCEPINFO's strings, freed however the call ends.
struct ExceptionInfo {
    EXCEPINFO info{};
    ~ExceptionInfo()
    {
        ::SysFreeString(info.bstrDescription);
        ::SysFreeString(info.bstrSource);
        ::SysFreeString(info.bstrHelpFile);
    }
};

// Which argument a server refused, from Invoke's index into the arguments
// as laid out: named ones first, then positional ones in reverse.
std::string refusedArgument(const Invocation& call, UINT slot, size_t count)
{
    if (call.kind == CallKind::PropertySet)
        return " (設定する値)";
    if (slot < call.named.size())
        return " (引数 " + codec::toDisplay(call.named[slot].name) + ")";
    if (slot < count)
        return " (引数 " + std::to_string(count - slot) + ")";
    return {};
}

// The server of one created application, for as long as any object of it
// is held: while it is created, the watch that finds its process; then the
// process, where it was found.
struct ServerInUse {
    ServerInUse(std::string name, std::shared_ptr<ServerEnding> ending)
        : name(std::move(name)), ending(std::move(ending))
    {
    }

    const std::string name; // as the user calls it, for messages
    const std::shared_ptr<ServerEnding> ending;
    std::optional<ServerLaunch> launching;
    std::optional<HeldProcess> process;
    // Its work was abandoned: a call of ours may be stuck in it (a dialog
    // nobody sees), so it is ended once the work lets go of it.
    std::atomic<bool> abandoned{false};
    // Its job failed: if it has not quit a moment after the job let go of
    // it, it stays invisible with the user's file open, and is ended.
    bool endAfterRelease = false;
    // It was handed to the user: it is theirs, and its process no longer
    // held nor recorded.
    bool handedOver = false;
    // The printer its next print goes to, and the one its last print went
    // to (UTF-16), under the servers' mutex: Word is set back to the
    // user's printer right after its print, while the job may still spool.
    std::wstring selectedPrinter, printer;
    // While its print call is in hand: this user's jobs on that printer
    // before it began. Under the servers' mutex.
    std::optional<std::set<DWORD>> printingSince;
    DefaultPrinterKeeper defaultPrinter;

    ~ServerInUse()
    {
        if (!process)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (abandoned)
            ending->endAt(std::move(*process), now, printer);
        else if (endAfterRelease)
            ending->endAt(std::move(*process), now + kEndServerAfter, printer);
    }
};

// A failed call's code as the user is told it: the server's end where it
// has gone (it crashed, or was ended while the call was in hand).
[[noreturn]] void throwCallFailure(HRESULT hr, const ServerInUse* server, const std::string& detail = {})
{
    // Codes of the dispatch facility come from a server that is alive.
    const bool dispatchCode = HRESULT_FACILITY(hr) == FACILITY_DISPATCH;
    if (serverGone(hr)
        || (!dispatchCode && server && server->process && !server->abandoned && server->process->endsWithin(300)))
        throw EOleSysError(static_cast<std::int32_t>(hr), serverGoneText(server ? server->name : std::string()));
    throwCode(hr, detail);
}

// Before a call: notes where the server's prints go, and lets the server
// bring its windows in front of this program's (a driver's dialog asking
// for a file name, a preview), which Windows otherwise keeps behind them.
void prepareServer(const Invocation& call, ServerInUse* server, IDispatch* dispatch, std::mutex& mutex)
{
    if (server) {
        std::optional<std::wstring> named;
        try {
            if (const std::optional<std::string> printer = calls::printerNamed(call))
                named = widen(*printer);
        } catch (const codec::ConversionError&) {
            // The call itself fails on that text.
        }
        std::lock_guard lock(mutex);
        if (named)
            server->selectedPrinter = std::move(*named);
        if (calls::printsOut(call))
            server->printer = server->selectedPrinter;
    }
    if (server && calls::setsDefaultPrinter(call))
        server->defaultPrinter.noteDefault();
    if (calls::printsOut(call) && server && server->process)
        ::AllowSetForegroundWindow(server->process->id());
    else if (calls::printsOut(call) || calls::showsServer(call))
        ::CoAllowSetForegroundWindow(dispatch, nullptr);
}

// While alive, the server's print call is in hand (nothing for other calls).
class PrintInHand {
public:
    // `before`: this user's jobs on the server's printer as the print began.
    PrintInHand(const Invocation& call, ServerInUse* server, std::set<DWORD> before, std::mutex& mutex)
        : server_(calls::printsOut(call) ? server : nullptr), mutex_(mutex)
    {
        if (!server_)
            return;
        std::lock_guard lock(mutex_);
        server_->printingSince = std::move(before);
    }
    ~PrintInHand()
    {
        if (!server_)
            return;
        std::lock_guard lock(mutex_);
        server_->printingSince.reset();
    }
    PrintInHand(const PrintInHand&) = delete;
    PrintInHand& operator=(const PrintInHand&) = delete;

private:
    ServerInUse* server_;
    std::mutex& mutex_;
};

} // namespace

// A server started ahead, and its records.
struct ComBackend::Spare {
    Spare(std::shared_ptr<ServerInUse> inUse, std::string progId, SpareServer::Start starting,
          SpareServer::LetGoOf letGoOf)
        : server(std::move(inUse)), start(std::move(progId), std::move(starting), std::move(letGoOf))
    {
    }
    std::shared_ptr<ServerInUse> server; // until it is taken or let go of
    SpareServer start;
};

// What the abandoning threads share with the automation thread.
struct ComBackend::Servers {
    std::shared_ptr<RetryBounds> bounds = std::make_shared<RetryBounds>();
    std::mutex mutex;
    std::condition_variable changed;
    bool closing = false;
    DWORD thread = 0; // the automation thread, once entered
    std::optional<std::chrono::steady_clock::time_point> firstRequest; // to abandon the work in hand
    std::vector<std::weak_ptr<ServerInUse>> inUse;

    // The server in use whose objects `owner` marks; none for an object
    // another backend made.
    std::shared_ptr<ServerInUse> serverOf(const std::shared_ptr<const void>& owner)
    {
        std::lock_guard lock(mutex);
        for (const std::weak_ptr<ServerInUse>& weak : inUse)
            if (std::shared_ptr<ServerInUse> server = weak.lock(); server && server.get() == owner.get())
                return server;
        return nullptr;
    }

    void throwIfAbandoned() const
    {
        if (bounds->givenUp)
            throw EOleSysError(kCallCancelled, "制限時間を過ぎたため、呼び出しを中止しました");
    }

    // Marks the servers whose objects are held as abandoned, and ends them
    // at once when `now`. Under the mutex.
    void abandonServersInUse(bool now)
    {
        for (const std::weak_ptr<ServerInUse>& weak : inUse) {
            const std::shared_ptr<ServerInUse> server = weak.lock();
            if (!server || server->handedOver)
                continue;
            server->abandoned = true;
            if (!now)
                continue;
            if (!server->process && server->launching)
                server->process = server->launching->started();
            if (std::optional<HeldProcess> copy = server->process ? server->process->duplicate() : std::nullopt)
                server->ending->endAt(std::move(*copy), std::chrono::steady_clock::now(), server->printer);
        }
    }

    // Starts the server of `clsid` for `server` on the calling thread, and
    // asks once more a moment later if the one before was still ending.
    // Work given up in the meantime (`heedAbandon`) is not started again.
    HRESULT launch(const CLSID& clsid, ServerInUse& server, IDispatch** dispatch, bool heedAbandon)
    {
        const auto start = [&] {
            const ServerLaunch launch(clsid);
            {
                std::lock_guard lock(mutex);
                server.launching = launch;
            }
            const HRESULT started = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                                       IID_IDispatch, reinterpret_cast<void**>(dispatch));
            // Not under the mutex: the server may be slow to answer.
            std::optional<HeldProcess> process;
            if (SUCCEEDED(started)) {
                process = launch.started([&](const std::vector<DWORD>& candidates) {
                    return serverProcessByWindow(*dispatch, candidates);
                });
            } else if (std::optional<HeldProcess> left = launch.startedForAutomation()) {
                // What started for a creation that failed never answered,
                // so it holds nothing of the user's; left running, a retry
                // would count it among the processes there before.
                server.ending->endAt(std::move(*left), std::chrono::steady_clock::now(), {});
            }
            std::lock_guard lock(mutex);
            if (!server.process)
                server.process = std::move(process);
            server.launching.reset();
            return started;
        };
        HRESULT hr = start();
        if (worthOneMoreStart(hr)) {
            std::this_thread::sleep_for(kStartAgainAfter);
            if (heedAbandon)
                throwIfAbandoned();
            hr = start();
        }
        return hr;
    }

    // The server is the user's from now on: nothing of ours ends it.
    void handedOver(ServerInUse& server)
    {
        std::lock_guard lock(mutex);
        server.handedOver = true;
        server.endAfterRelease = false;
        server.process.reset();
    }

    // A spare nobody took, on its own thread. The user may have landed in
    // it while it waited: then it is theirs. Otherwise it is told to quit,
    // and ended a moment later if it does not; also if it does not answer,
    // for then, as far as can be known, it holds nothing of the user's
    // (one that shows itself is left alone, ServerEnding.h).
    void letGoOfSpare(ServerInUse& server, IDispatch* application)
    {
        if (documentsOpen(application).value_or(0) > 0) {
            handToUser(application);
            handedOver(server);
            return;
        }
        {
            std::lock_guard lock(mutex);
            if (std::optional<HeldProcess> copy = server.process ? server.process->duplicate() : std::nullopt)
                server.ending->endAt(std::move(*copy), std::chrono::steady_clock::now() + kEndServerAfter,
                                     server.printer);
        }
        if (const std::optional<DISPID> quit = memberId(application, L"Quit"))
            callMethod(application, *quit);
    }

    // On a thread of its own: unless the abandoned work has let go of its
    // servers (or new work began) within the grace period, ends them.
    void endAfterGrace(std::chrono::steady_clock::time_point request)
    {
        std::unique_lock lock(mutex);
        const bool over = changed.wait_for(lock, kEndServerAfter, [&] {
            std::erase_if(inUse, [](const std::weak_ptr<ServerInUse>& server) { return server.expired(); });
            return closing || firstRequest != request || inUse.empty();
        });
        if (!over)
            abandonServersInUse(true);
    }
};

ComBackend::ComBackend(std::shared_ptr<printers::SpoolerCalls> spooler)
    : spooler_(std::move(spooler))
    , ending_(std::make_shared<ServerEnding>([spooler = spooler_](const std::wstring& printer) {
        return printers::jobStillGrowing(*spooler, printer, kSpoolLooksApart);
    }))
    , servers_(std::make_shared<Servers>())
{
    // Before this run starts any: a run that died left its servers running.
    static std::once_flag leftovers;
    std::call_once(leftovers, endServersOfDeadRuns);
    servers_->bounds->limitMs = static_cast<DWORD>(std::chrono::milliseconds(kDefaultOfficeDeadline).count());
}

ComBackend::~ComBackend()
{
    {
        std::lock_guard lock(servers_->mutex);
        servers_->closing = true;
    }
    servers_->changed.notify_all();
    if (ender_.joinable())
        ender_.join();
}

void ComBackend::applySettings(const Settings& settings)
{
    servers_->bounds->limitMs
        = static_cast<DWORD>(std::chrono::milliseconds(officeDeadline(settings.officeTimeout)).count());
}

void ComBackend::enterThread()
{
    apartment_ = std::make_unique<ComApartment>();
    // Lets abandon() cancel this thread's calls from another thread.
    ::CoEnableCallCancellation(nullptr);
    filter_ = new BusyServerFilter(servers_->bounds);
    // Fails only where the thread is no single-threaded apartment: calls
    // then go unfiltered.
    filterRegistered_ = SUCCEEDED(::CoRegisterMessageFilter(filter_, &previousFilter_));
    std::lock_guard lock(servers_->mutex);
    servers_->thread = ::GetCurrentThreadId();
}

bool ComBackend::idle(std::chrono::milliseconds slice)
{
    ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(slice.count()), QS_ALLINPUT,
                                  MWMO_INPUTAVAILABLE);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return true;
}

void ComBackend::leaveThread()
{
    {
        std::lock_guard lock(servers_->mutex);
        servers_->thread = 0;
    }
    if (filterRegistered_) {
        IMessageFilter* ours = nullptr;
        if (SUCCEEDED(::CoRegisterMessageFilter(previousFilter_, &ours)) && ours)
            ours->Release();
        if (previousFilter_)
            previousFilter_->Release();
    }
    previousFilter_ = nullptr;
    filterRegistered_ = false;
    if (filter_)
        filter_->Release();
    filter_ = nullptr;
    ::CoDisableCallCancellation(nullptr);
    apartment_.reset();
}

void ComBackend::abandon()
{
    DWORD thread = 0;
    std::optional<std::chrono::steady_clock::time_point> first;
    {
        std::lock_guard lock(servers_->mutex);
        servers_->bounds->givenUp = true;
        if (!servers_->firstRequest)
            first = servers_->firstRequest = std::chrono::steady_clock::now();
        thread = servers_->thread;
        servers_->abandonServersInUse(false);
    }
    // A cancelled call returns at once, while the server may stay stuck in
    // it; the work then lets go of the server, which ends it. Asked again,
    // this cancels what the work waits on next (a release, say).
    if (thread && callsCanBeCancelled())
        ::CoCancelCall(thread, 0);
    if (first) {
        std::lock_guard lock(enderMutex_);
        if (ender_.joinable())
            ender_.join(); // an earlier abandonment's, long over
        ender_ = std::thread([servers = servers_, request = *first] { servers->endAfterGrace(request); });
    }
}

ObjectRef ComBackend::createObject(const std::string& progId)
{
    {
        std::lock_guard lock(servers_->mutex);
        std::erase_if(servers_->inUse, [](const std::weak_ptr<ServerInUse>& server) { return server.expired(); });
        // Nothing of the abandoned work is held any more: this is new work.
        if (servers_->inUse.empty()) {
            servers_->bounds->givenUp = false;
            servers_->firstRequest.reset();
        }
    }
    servers_->changed.notify_all();
    servers_->throwIfAbandoned();

    const std::string name = serverNameOf(progId);
    const std::string named = "オートメーション サーバー '" + codec::toDisplay(progId) + "' ";
    const auto failure = [&](HRESULT hr, const char* what) {
        if (notInstalled(hr) && !name.empty())
            return EOleSysError(static_cast<std::int32_t>(hr), notInstalledText(name));
        return EOleSysError(static_cast<std::int32_t>(hr), named + what + " (" + reasonOf(hr) + ")");
    };
    CLSID clsid{};
    HRESULT hr = ::CLSIDFromProgID(wideName(progId).c_str(), &clsid);
    if (FAILED(hr))
        throw failure(hr, "はありません");

    std::unique_ptr<Spare> spare = takeSpare(progId);
    std::shared_ptr<ServerInUse> server = spare ? spare->server : std::make_shared<ServerInUse>(name, ending_);
    {
        std::lock_guard lock(servers_->mutex);
        servers_->inUse.push_back(server);
    }
    IDispatch* dispatch = nullptr;
    if (spare) {
        // Its start limit counts from its own start, while that goes on;
        // one that has started is no longer starting.
        if (!spare->start.startEnded())
            serverAskedAt(spare->start.askedAt());
        hr = spare->start.take(&dispatch, [this] { return !servers_->bounds->givenUp; });
        retire(std::move(spare));
        if (SUCCEEDED(hr) && servers_->bounds->givenUp) {
            dispatch->Release();
            servers_->throwIfAbandoned();
        }
        // The user landed in it while it waited: it is theirs, and the row
        // gets a server of its own (Open of a file they have open there
        // would return their document, which the job then closes).
        if (SUCCEEDED(hr) && documentsOpen(dispatch).value_or(0) > 0) {
            handToUser(dispatch);
            servers_->handedOver(*server);
            dispatch->Release();
            dispatch = nullptr;
            server = std::make_shared<ServerInUse>(name, ending_);
            {
                std::lock_guard lock(servers_->mutex);
                servers_->inUse.push_back(server);
            }
            hr = servers_->launch(clsid, *server, &dispatch, true);
        }
    } else {
        hr = servers_->launch(clsid, *server, &dispatch, true);
    }
    if (FAILED(hr))
        throw failure(hr, "を起動できません");
    startSpares();
    return std::make_shared<ComObject>(dispatch, server);
}

std::unique_ptr<ComBackend::Spare> ComBackend::takeSpare(const std::string& progId)
{
    std::lock_guard lock(spareMutex_);
    if (spares_.empty() || spares_.front()->start.progId() != progId)
        return nullptr;
    spareForJob_ = false;
    std::unique_ptr<Spare> spare = std::move(spares_.front());
    spares_.pop_front();
    return spare;
}

void ComBackend::startSpares()
{
    std::vector<std::string> wanted;
    {
        std::lock_guard lock(spareMutex_);
        wanted = std::exchange(startAhead_, {});
        // Those started for the first of these jobs already.
        const size_t started = std::min(spares_.size(), wanted.size());
        wanted.erase(wanted.begin(), wanted.begin() + static_cast<std::ptrdiff_t>(started));
    }
    // After the job's own server: its start comes first. Servers of one
    // executable started together are told apart by their windows
    // (ServerWindow.h).
    for (const std::string& progId : wanted) {
        CLSID clsid{};
        if (FAILED(::CLSIDFromProgID(wideName(progId).c_str(), &clsid)))
            return; // the next job tells that itself
        auto server = std::make_shared<ServerInUse>(serverNameOf(progId), ending_);
        auto spare = std::make_unique<Spare>(
            server, progId,
            [servers = servers_, server, clsid](IDispatch** application) {
                return servers->launch(clsid, *server, application, false);
            },
            [servers = servers_, server](IDispatch* application) { servers->letGoOfSpare(*server, application); });
        std::lock_guard lock(spareMutex_);
        spares_.push_back(std::move(spare));
    }
}

void ComBackend::retire(std::unique_ptr<Spare> spare)
{
    spare->start.letGo();
    // Whoever still uses the server holds its records; they must not wait
    // for the spare's thread to be joined.
    spare->server.reset();
    std::lock_guard lock(spareMutex_);
    std::erase_if(retired_, [](const std::unique_ptr<Spare>& old) { return old->start.finished(); });
    retired_.push_back(std::move(spare));
}

void ComBackend::letGoOfSpares(size_t kept)
{
    std::vector<std::unique_ptr<Spare>> going;
    {
        std::lock_guard lock(spareMutex_);
        while (spares_.size() > kept) {
            going.push_back(std::move(spares_.back()));
            spares_.pop_back();
        }
        if (spares_.empty())
            spareForJob_ = false;
    }
    for (std::unique_ptr<Spare>& spare : going)
        retire(std::move(spare));
}

void ComBackend::jobStarting(const std::string& forJob, const std::vector<std::string>& forNext)
{
    size_t kept = 0;
    {
        std::lock_guard lock(spareMutex_);
        startAhead_ = forNext;
        // The spares that this job and the next ones told will take, in turn.
        std::vector<std::string> takers{forJob};
        takers.insert(takers.end(), forNext.begin(), forNext.end());
        while (kept < spares_.size() && kept < takers.size() && spares_[kept]->start.progId() == takers[kept])
            ++kept;
        spareForJob_ = kept > 0;
    }
    letGoOfSpares(kept);
}

void ComBackend::jobEnded()
{
    std::unique_ptr<Spare> notTaken;
    {
        std::lock_guard lock(spareMutex_);
        startAhead_.clear();
        if (spareForJob_ && !spares_.empty()) {
            notTaken = std::move(spares_.front());
            spares_.pop_front();
        }
        spareForJob_ = false;
    }
    if (notTaken)
        retire(std::move(notTaken));
    runDefault_.putBack();
}

void ComBackend::runStarting() { runDefault_.noteDefaultAfresh(); }

void ComBackend::runEnded() { runDefault_.putBack(); }

void ComBackend::endServersAhead()
{
    {
        std::lock_guard lock(spareMutex_);
        startAhead_.clear();
    }
    letGoOfSpares();
}

Variant ComBackend::invoke(const ObjectRef& target, const Invocation& call)
{
    servers_->throwIfAbandoned();
    const ComObject& object = comObjectOf(target);
    IDispatch* dispatch = object.dispatch();
    const std::shared_ptr<ServerInUse> server = servers_->serverOf(object.owner());

    // The member and the named arguments in one lookup.
    const std::string member(call.member);
    std::vector<std::wstring> names{wideName(member)};
    for (const NamedParm& named : call.named)
        names.push_back(wideName(named.name));
    std::vector<LPOLESTR> namePointers;
    for (std::wstring& name : names)
        namePointers.push_back(name.data());
    std::vector<DISPID> ids(names.size(), DISPID_UNKNOWN);
    const LCID lookupLcid = lookupLocale(call.form).value_or(::GetThreadLocale());
    HRESULT hr = dispatch->GetIDsOfNames(IID_NULL, namePointers.data(),
                                         static_cast<UINT>(namePointers.size()), lookupLcid,
                                         ids.data());
    if (hr == DISP_E_UNKNOWNNAME) {
        // Name the argument when the member itself is known.
        for (size_t i = 1; i < ids.size(); ++i)
            if (ids[0] != DISPID_UNKNOWN && ids[i] == DISPID_UNKNOWN)
                throwUnknownName(call.form, call.named[i - 1].name);
        throwUnknownName(call.form, member);
    }
    if (FAILED(hr))
        throwCallFailure(hr, server.get());

    // Named arguments first, in their order, then positional ones in reverse.
    // A property write passes its value as the one argument named
    // DISPID_PROPERTYPUT.
    const size_t count = call.named.size() + call.args.size();
    std::vector<ComVariant> arguments(count);
    std::vector<VARIANTARG> slots(count);
    std::vector<DISPID> namedIds(ids.begin() + 1, ids.end());
    size_t slot = 0;
    for (const NamedParm& named : call.named)
        toComVariant(named.value, *arguments[slot++].get());
    for (auto it = call.args.rbegin(); it != call.args.rend(); ++it)
        toComVariant(*it, *arguments[slot++].get());
    for (size_t i = 0; i < count; ++i)
        slots[i] = *arguments[i].get(); // a view; the ComVariants own the contents
    if (call.kind == CallKind::PropertySet)
        namedIds.assign(1, DISPID_PROPERTYPUT);

    DISPPARAMS params{};
    params.rgvarg = slots.empty() ? nullptr : slots.data();
    params.cArgs = static_cast<UINT>(count);
    params.rgdispidNamedArgs = namedIds.empty() ? nullptr : namedIds.data();
    params.cNamedArgs = static_cast<UINT>(namedIds.size());

    const bool yields = call.kind == CallKind::Function || call.kind == CallKind::PropertyGet;
    ComVariant result;
    ExceptionInfo exception;
    UINT argumentError = 0;
    // From PrintOut on, the server spools the job: a stop no longer ends it,
    // and the jobs that appear meanwhile are the ones a stop may take back.
    if (calls::printsOut(call) && !beginHandOver())
        throw SubmissionWithdrawn();
    printers::JobsBeforePrint jobsBefore;
    {
        // Excel's preview returns when the user closes it: the time spent
        // reading it counts against no deadline.
        std::optional<UserWait> reading;
        if (calls::previews(call))
            reading.emplace();
        prepareServer(call, server.get(), dispatch, servers_->mutex);
        if (calls::printsOut(call)) {
            std::wstring printer; // empty: the default one
            if (server) {
                std::lock_guard lock(servers_->mutex);
                printer = server->printer;
            }
            jobsBefore = printers::JobsBeforePrint(*spooler_, std::move(printer));
        }
        const PrintInHand printing(call, server.get(), jobsBefore.ids(), servers_->mutex);
        hr = dispatch->Invoke(ids[0], IID_NULL, invokeLocale(call.form), dispatchFlag(call.kind), &params,
                              yields ? result.get() : nullptr, &exception.info, &argumentError);
    }
    if (hr == DISP_E_EXCEPTION) {
        if (exception.info.pfnDeferredFillIn)
            exception.info.pfnDeferredFillIn(&exception.info);
        throwServerException(call.form, utf8OfBstr(exception.info.bstrDescription),
                             utf8OfBstr(exception.info.bstrSource), exception.info.scode);
    }
    if (hr == DISP_E_UNKNOWNNAME)
        throwUnknownName(call.form, member);
    if (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND)
        throwCode(hr, refusedArgument(call, argumentError, count));
    if (hr == DISP_E_MEMBERNOTFOUND)
        throwCode(hr, " (" + codec::toDisplay(member) + ")");
    if (FAILED(hr))
        throwCallFailure(hr, server.get());
    // With background printing off, Word and Excel return from PrintOut
    // once the spooler has the job.
    if (calls::printsOut(call)) {
        jobnotes::reportAccepted();
        jobnotes::reportCancel(jobsBefore.cancelOfNewJobs(spooler_));
    }
    return yields ? fromComVariant(*result.get(), object.owner()) : Variant();
}

std::string ComBackend::serverName(const std::string& progId) const
{
    return serverNameOf(progId);
}

void ComBackend::checkPrinter(const std::string& printer)
{
    // An empty name is the job's to refuse, as a printer Word cannot set.
    if (printer.empty())
        return;
    const printers::PrinterQuery found = printers::makeWinspoolPrinterSource(printers::systemSpooler())->query();
    if (!found.unreachable.empty())
        throw Error(found.unreachable);
    const std::wstring wanted = wideName(printer);
    for (const std::string& name : found.names) {
        std::wstring wide;
        try {
            wide = widen(codec::fromUtf8(name));
        } catch (const codec::ConversionError&) {
            continue; // no row can name it
        }
        // Printer names are told apart without regard to case, as the spooler does.
        if (::CompareStringOrdinal(wide.c_str(), -1, wanted.c_str(), -1, TRUE) == CSTR_EQUAL)
            return;
    }
    throw Error("プリンター " + codec::toDisplay(printer) + " が見つかりません");
}

void ComBackend::endServerAfterRelease(const ObjectRef& application)
{
    if (const auto* object = dynamic_cast<const ComObject*>(application.get()))
        if (const std::shared_ptr<ServerInUse> server = servers_->serverOf(object->owner()))
            server->endAfterRelease = true;
}

void ComBackend::handedToUser(const ObjectRef& application)
{
    if (const auto* object = dynamic_cast<const ComObject*>(application.get()))
        if (const std::shared_ptr<ServerInUse> server = servers_->serverOf(object->owner()))
            servers_->handedOver(*server);
}

std::optional<JobPastDeadline> ComBackend::jobPastDeadline(std::chrono::seconds deadline)
{
    std::wstring printer;
    std::set<DWORD> before;
    {
        std::lock_guard lock(servers_->mutex);
        for (const std::weak_ptr<ServerInUse>& weak : servers_->inUse)
            if (const std::shared_ptr<ServerInUse> server = weak.lock();
                server && server->printingSince && !server->printer.empty()) {
                printer = server->printer;
                before = *server->printingSince;
            }
    }
    if (printer.empty())
        return std::nullopt;
    return win::jobPastDeadline(spooler_, printer, before, deadline);
}

std::optional<std::string> ComBackend::stallCause(std::chrono::seconds deadline, bool)
{
    std::vector<std::wstring> printers;
    {
        std::lock_guard lock(servers_->mutex);
        for (const std::weak_ptr<ServerInUse>& weak : servers_->inUse)
            if (const std::shared_ptr<ServerInUse> server = weak.lock(); server && !server->printer.empty())
                printers.push_back(server->printer);
    }
    for (const std::wstring& printer : printers)
        if (printers::jobStillGrowing(*spooler_, printer, kSpoolLooksApart))
            return "制限時間 (" + std::to_string(deadline.count()) + " 秒) 内に終わりませんでした。プリンター "
                + utf8Of(printer) + " または印刷システムの処理が遅れています (印刷データの送信が続いています)";
    return std::nullopt;
}

} // namespace pravik::win
