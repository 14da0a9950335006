#include "BusyServerFilter.h"


namespace pravik::win {

namespace {

// Often enough that a server that has just become free is not kept waiting,
// rarely enough not to keep a starting one busy with our calls.
constexpr DWORD kRetryAfterMs = 250;

constexpr DWORD kGiveUp = static_cast<DWORD>(-1);

} // namespace

DWORD retryDelay(DWORD rejectType, DWORD elapsedMs, DWORD limitMs, bool givenUp)
{
    if (rejectType != SERVERCALL_REJECTED && rejectType != SERVERCALL_RETRYLATER)
        return kGiveUp;
    if (givenUp || elapsedMs >= limitMs)
        return kGiveUp;
    return kRetryAfterMs;
}

HRESULT STDMETHODCALLTYPE BusyServerFilter::QueryInterface(REFIID iid, void** out)
{
    if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
        *out = static_cast<IMessageFilter*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE BusyServerFilter::AddRef()
{
    return ++references_;
}

ULONG STDMETHODCALLTYPE BusyServerFilter::Release()
{
    const ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

DWORD STDMETHODCALLTYPE BusyServerFilter::HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO)
{
    return SERVERCALL_ISHANDLED;
}

DWORD STDMETHODCALLTYPE BusyServerFilter::RetryRejectedCall(HTASK, DWORD elapsedMs, DWORD rejectType)
{
    return retryDelay(rejectType, elapsedMs, bounds_->limitMs, bounds_->givenUp);
}

DWORD STDMETHODCALLTYPE BusyServerFilter::MessagePending(HTASK, DWORD, DWORD)
{
    // The apartment's messages go on being dispatched while the call waits;
    // this thread has no window of the user's to take input for.
    return PENDINGMSG_WAITDEFPROCESS;
}

} // namespace pravik::win
