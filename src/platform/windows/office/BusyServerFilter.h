#pragma once

#include <objidl.h>

#include <atomic>
#include <memory>

namespace pravik::win {

// What to tell COM about a call the server rejected (SERVERCALL_REJECTED or
// SERVERCALL_RETRYLATER: a starting or busy Word or Excel): the delay in
// milliseconds before the call goes again, or -1 to give up, which fails the
// call with RPC_E_CALL_REJECTED. A rejected call never ran, so sending it
// again repeats nothing. Retries stop once the call has waited `limitMs`, or
// once its work was given up.
DWORD retryDelay(DWORD rejectType, DWORD elapsedMs, DWORD limitMs, bool givenUp);

// What bounds the retries, written from other threads: the longest a
// rejected call is retried, and whether the work in hand was given up.
struct RetryBounds {
    std::atomic<DWORD> limitMs;
    std::atomic<bool> givenUp{false};
};

// The message filter of the automation thread: retries rejected calls as
// retryDelay() says and lets the apartment's messages through while a call
// waits. Reference counted as COM requires.
class BusyServerFilter final : public IMessageFilter {
public:
    explicit BusyServerFilter(std::shared_ptr<const RetryBounds> bounds) : bounds_(std::move(bounds)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD callType, HTASK caller, DWORD tickCount,
                                               LPINTERFACEINFO info) override;
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK callee, DWORD elapsedMs, DWORD rejectType) override;
    DWORD STDMETHODCALLTYPE MessagePending(HTASK callee, DWORD elapsedMs, DWORD pendingType) override;

private:
    std::atomic<ULONG> references_{1};
    std::shared_ptr<const RetryBounds> bounds_;
};

} // namespace pravik::win
