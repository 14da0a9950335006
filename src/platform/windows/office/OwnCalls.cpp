#include "OwnCalls.h"

#include <string>

namespace pravik::win {

std::optional<DISPID> memberId(IDispatch* application, const wchar_t* name)
{
    std::wstring member(name);
    LPOLESTR names[] = {member.data()};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(application->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id)))
        return std::nullopt;
    return id;
}

bool getProperty(IDispatch* application, DISPID id, VARIANT& value)
{
    DISPPARAMS none{};
    return SUCCEEDED(application->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_PROPERTYGET, &none, &value,
                                         nullptr, nullptr));
}

bool putProperty(IDispatch* application, DISPID id, VARIANT value)
{
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    return SUCCEEDED(application->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                                         nullptr, nullptr, nullptr));
}

bool callMethod(IDispatch* application, DISPID id)
{
    DISPPARAMS none{};
    return SUCCEEDED(
        application->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr));
}

} // namespace pravik::win
