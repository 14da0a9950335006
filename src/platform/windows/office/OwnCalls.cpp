#include "OwnCalls.h"

#include <chrono>
#include <string>
#include <thread>

namespace pravik::win {

namespace {

// A starting or busy Office turns calls away. Where no message filter
// retries them (the spares' threads have none), they are retried here:
// a call turned away never ran, so sending it again repeats nothing.
constexpr auto kRetryFor = std::chrono::seconds(30);
constexpr auto kRetryAfter = std::chrono::milliseconds(250);

bool turnedAway(HRESULT hr)
{
    return hr == RPC_E_CALL_REJECTED || hr == RPC_E_SERVERCALL_RETRYLATER;
}

HRESULT invokeRetried(IDispatch* application, DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result)
{
    const auto until = std::chrono::steady_clock::now() + kRetryFor;
    for (;;) {
        const HRESULT hr
            = application->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, flags, &params, result, nullptr, nullptr);
        if (!turnedAway(hr) || std::chrono::steady_clock::now() >= until)
            return hr;
        std::this_thread::sleep_for(kRetryAfter);
    }
}

} // namespace

std::optional<DISPID> memberId(IDispatch* application, const wchar_t* name)
{
    std::wstring member(name);
    LPOLESTR names[] = {member.data()};
    DISPID id = DISPID_UNKNOWN;
    const auto until = std::chrono::steady_clock::now() + kRetryFor;
    for (;;) {
        const HRESULT hr = application->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id);
        if (SUCCEEDED(hr))
            return id;
        if (!turnedAway(hr) || std::chrono::steady_clock::now() >= until)
            return std::nullopt;
        std::this_thread::sleep_for(kRetryAfter);
    }
}

bool getProperty(IDispatch* application, DISPID id, VARIANT& value)
{
    DISPPARAMS none{};
    return SUCCEEDED(invokeRetried(application, id, DISPATCH_PROPERTYGET, none, &value));
}

bool putProperty(IDispatch* application, DISPID id, VARIANT value)
{
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    return SUCCEEDED(invokeRetried(application, id, DISPATCH_PROPERTYPUT, params, nullptr));
}

bool callMethod(IDispatch* application, DISPID id)
{
    DISPPARAMS none{};
    return SUCCEEDED(invokeRetried(application, id, DISPATCH_METHOD, none, nullptr));
}

} // namespace pravik::win
