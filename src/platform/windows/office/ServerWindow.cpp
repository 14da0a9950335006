#include "ServerWindow.h"

#include "OwnCalls.h"

#include <objbase.h>
#include <oleauto.h>

#include <algorithm>
#include <string>

namespace pravik::win {

namespace {

std::optional<DWORD> processOf(HWND window, const std::vector<DWORD>& candidates)
{
    DWORD process = 0;
    if (!window || !::GetWindowThreadProcessId(window, &process))
        return std::nullopt;
    if (std::find(candidates.begin(), candidates.end(), process) == candidates.end())
        return std::nullopt;
    return process;
}

std::optional<DWORD> byHandle(IDispatch* application, DISPID hwnd, const std::vector<DWORD>& candidates)
{
    VARIANT value;
    ::VariantInit(&value);
    if (!getProperty(application, hwnd, value))
        return std::nullopt;
    const bool number = SUCCEEDED(::VariantChangeType(&value, &value, 0, VT_I4));
    const LONG handle = number ? value.lVal : 0;
    ::VariantClear(&value);
    // Window handles fit in 32 bits, which is why Excel can give them as a Long.
    return processOf(reinterpret_cast<HWND>(static_cast<LONG_PTR>(handle)), candidates);
}

struct CaptionSearch {
    std::wstring token;
    const std::vector<DWORD>* candidates;
    std::optional<DWORD> found;
};

BOOL CALLBACK lookAtWindow(HWND window, LPARAM data)
{
    auto& search = *reinterpret_cast<CaptionSearch*>(data);
    const std::optional<DWORD> process = processOf(window, *search.candidates);
    if (!process)
        return TRUE;
    wchar_t text[512] = L"";
    ::GetWindowTextW(window, text, 512);
    if (std::wstring_view(text).find(search.token) == std::wstring_view::npos)
        return TRUE;
    search.found = process;
    return FALSE;
}

std::optional<DWORD> byCaption(IDispatch* application, DISPID caption, const std::vector<DWORD>& candidates)
{
    VARIANT before;
    ::VariantInit(&before);
    if (!getProperty(application, caption, before))
        return std::nullopt;
    GUID unique{};
    wchar_t text[40] = L"";
    ::CoCreateGuid(&unique);
    ::StringFromGUID2(unique, text, 40);
    CaptionSearch search{std::wstring(L"Pravik ") + text, &candidates, std::nullopt};
    VARIANT marked;
    marked.vt = VT_BSTR;
    marked.bstrVal = ::SysAllocString(search.token.c_str());
    if (putProperty(application, caption, marked)) {
        ::EnumWindows(lookAtWindow, reinterpret_cast<LPARAM>(&search));
        // A server without a desktop of its own has only message-only windows.
        for (HWND window = ::FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window && !search.found;
             window = ::FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr))
            lookAtWindow(window, reinterpret_cast<LPARAM>(&search));
        putProperty(application, caption, before);
    }
    ::VariantClear(&marked);
    ::VariantClear(&before);
    return search.found;
}

} // namespace

std::optional<DWORD> serverProcessByWindow(IDispatch* application, const std::vector<DWORD>& candidates)
{
    if (const std::optional<DISPID> hwnd = memberId(application, L"Hwnd"))
        return byHandle(application, *hwnd, candidates);
    if (const std::optional<DISPID> caption = memberId(application, L"Caption"))
        return byCaption(application, *caption, candidates);
    return std::nullopt;
}

} // namespace pravik::win
