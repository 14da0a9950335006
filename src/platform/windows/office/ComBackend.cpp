#include "ComBackend.h"

#include "AutomationErrors.h"
#include "ComApartment.h"
#include "ComValues.h"
#include "TextCodec.h"
#include "WideText.h"

#include <windows.h>

#include <vector>

namespace pravik::win {

namespace {

[[noreturn]] void throwCode(HRESULT hr)
{
    throw EOleSysError(static_cast<std::int32_t>(hr), systemMessage(hr));
}

std::wstring wideName(const std::string& cp932)
{
    try {
        return widen(cp932);
    } catch (const codec::ConversionError& error) {
        throw EOleSysError(olecode::UnknownName, error.what());
    }
}

IDispatch* dispatchOf(const ObjectRef& target)
{
    auto* object = dynamic_cast<const ComObject*>(target.get());
    if (!object)
        throw EOleSysError(olecode::TypeMismatch, "別の仕組みのオブジェクトは呼び出せません");
    return object->dispatch();
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

} // namespace

std::string systemMessage(long code)
{
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text ? text : L"", length);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return utf8Of(message);
}

ObjectRef ComBackend::createObject(const std::string& progId)
{
    enterApartmentForThisThread();
    CLSID clsid{};
    const std::string named = "オートメーション サーバー '" + codec::toDisplay(progId) + "' ";
    HRESULT hr = ::CLSIDFromProgID(wideName(progId).c_str(), &clsid);
    if (FAILED(hr))
        throw EOleSysError(static_cast<std::int32_t>(hr), named + "はありません");
    IDispatch* dispatch = nullptr;
    hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(&dispatch));
    if (FAILED(hr)) {
        const std::string reason = systemMessage(hr);
        throw EOleSysError(static_cast<std::int32_t>(hr),
                           named + "を起動できません ("
                               + (reason.empty() ? describeOleCode(static_cast<std::int32_t>(hr)) : reason)
                               + ")");
    }
    return std::make_shared<ComObject>(dispatch);
}

Variant ComBackend::invoke(const ObjectRef& target, const Invocation& call)
{
    enterApartmentForThisThread();
    IDispatch* dispatch = dispatchOf(target);

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
    hr = dispatch->Invoke(ids[0], IID_NULL, invokeLocale(call.form), dispatchFlag(call.kind), &params,
                          yields ? result.get() : nullptr, &exception.info, &argumentError);
    if (hr == DISP_E_EXCEPTION) {
        if (exception.info.pfnDeferredFillIn)
            exception.info.pfnDeferredFillIn(&exception.info);
        throwServerException(call.form, utf8OfBstr(exception.info.bstrDescription),
                             utf8OfBstr(exception.info.bstrSource));
    }
    if (hr == DISP_E_UNKNOWNNAME || hr == DISP_E_MEMBERNOTFOUND)
        throwUnknownName(call.form, member);
    if (FAILED(hr))
        throwCode(hr);
    return yields ? fromComVariant(*result.get()) : Variant();
}

} // namespace pravik::win
