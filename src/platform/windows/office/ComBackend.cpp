#include "ComBackend.h"

#include "AutomationErrors.h"
#include "AutomationWorker.h"
#include "BusyServerFilter.h"
#include "ComApartment.h"
#include "ComValues.h"
#include "ServerLaunch.h"
#include "SystemMessage.h"
#include "TextCodec.h"
#include "WideText.h"

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

namespace pravik::win {

namespace {

// After the first request to abandon, how long a cancelled call has to
// return before its server is ended.
constexpr auto kEndServerAfter = std::chrono::seconds(5);

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

// Names match without regard to ASCII letter case, as automation names do.
bool isPreview(std::string_view member)
{
    constexpr std::string_view preview = "printpreview";
    if (member.size() != preview.size())
        return false;
    for (size_t i = 0; i < member.size(); ++i) {
        const char c = member[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != preview[i])
            return false;
    }
    return true;
}

// The server of one created application, for as long as any object of it
// is held: while it is created, the watch that finds its process; then the
// process, where it was found.
struct ServerInUse {
    std::optional<ServerLaunch> launching;
    std::optional<HeldProcess> process;
    // Its work was abandoned: a call of ours may be stuck in it (a dialog
    // nobody sees), so it is ended once the work lets go of it.
    std::atomic<bool> abandoned{false};

    ~ServerInUse()
    {
        if (abandoned && process)
            process->end();
    }
};

} // namespace

// What the abandoning threads share with the automation thread.
struct ComBackend::Servers {
    std::shared_ptr<RetryBounds> bounds = std::make_shared<RetryBounds>();
    std::mutex mutex;
    std::condition_variable changed;
    bool closing = false;
    DWORD thread = 0; // the automation thread, once entered
    std::optional<std::chrono::steady_clock::time_point> firstRequest; // to abandon the work in hand
    std::vector<std::weak_ptr<ServerInUse>> inUse;

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
            if (!server)
                continue;
            server->abandoned = true;
            if (!now)
                continue;
            if (!server->process && server->launching)
                server->process = server->launching->started();
            if (server->process)
                server->process->end();
        }
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

ComBackend::ComBackend() : servers_(std::make_shared<Servers>())
{
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

    CLSID clsid{};
    const std::string named = "オートメーション サーバー '" + codec::toDisplay(progId) + "' ";
    HRESULT hr = ::CLSIDFromProgID(wideName(progId).c_str(), &clsid);
    if (FAILED(hr))
        throw EOleSysError(static_cast<std::int32_t>(hr), named + "はありません (" + reasonOf(hr) + ")");

    auto server = std::make_shared<ServerInUse>();
    server->launching.emplace(clsid);
    {
        std::lock_guard lock(servers_->mutex);
        servers_->inUse.push_back(server);
    }
    IDispatch* dispatch = nullptr;
    hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(&dispatch));
    {
        std::lock_guard lock(servers_->mutex);
        if (!server->process && SUCCEEDED(hr))
            server->process = server->launching->started();
        server->launching.reset();
    }
    if (FAILED(hr))
        throw EOleSysError(static_cast<std::int32_t>(hr), named + "を起動できません (" + reasonOf(hr) + ")");
    return std::make_shared<ComObject>(dispatch, server);
}

Variant ComBackend::invoke(const ObjectRef& target, const Invocation& call)
{
    servers_->throwIfAbandoned();
    const ComObject& object = comObjectOf(target);
    IDispatch* dispatch = object.dispatch();

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
        throwCode(hr);

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
    {
        // Excel's preview returns when the user closes it: the time spent
        // reading it counts against no deadline.
        std::optional<UserWait> reading;
        if (isPreview(call.member))
            reading.emplace();
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
        throwCode(hr);
    return yields ? fromComVariant(*result.get(), object.owner()) : Variant();
}

} // namespace pravik::win
