#include "SystemMessage.h"

#include "WideText.h"

#include <windows.h>

#include <cstdio>

namespace pravik::win {

std::string systemMessage(long code)
{
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text ? text : L"", text ? length : 0);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return utf8Of(message);
}

std::string systemMessageWithCode(long code, const std::string& fallback)
{
    std::string text = systemMessage(code);
    if (text.empty())
        text = fallback;
    char number[24];
    // Win32 errors are small numbers; HRESULTs read best in hexadecimal.
    if (code >= 0 && code < 0x10000)
        std::snprintf(number, sizeof number, "%ld", code);
    else
        std::snprintf(number, sizeof number, "0x%08lX", static_cast<unsigned long>(code));
    return text.empty() ? std::string("エラー ") + number : text + " (" + number + ")";
}

} // namespace pravik::win
