#include "UserFolders.h"

#include "TextCodec.h"
#include "WideText.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

namespace pravik {

std::string userConfigDir()
{
    const DWORD size = ::GetEnvironmentVariableW(L"APPDATA", nullptr, 0);
    if (size <= 1)
        return {};
    std::wstring value(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(L"APPDATA", value.data(), size);
    if (length == 0 || length >= size)
        return {};
    value.resize(length);
    while (value.size() > 3 && (value.back() == L'\\' || value.back() == L'/'))
        value.pop_back();
    try {
        return win::narrow(value);
    } catch (const codec::ConversionError&) {
        return {};
    }
}

std::string userDocumentsDir()
{
    PWSTR path = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_DEFAULT, nullptr, &path);
    const std::wstring value = SUCCEEDED(result) && path ? path : L"";
    ::CoTaskMemFree(path);
    if (value.empty())
        return {};
    try {
        return win::narrow(value);
    } catch (const codec::ConversionError&) {
        return {};
    }
}

bool folderWritable(const std::string& folder)
{
    // The folder's attributes and ACLs do not answer this (nor does
    // _waccess): only creating a file there does. The probe goes with its
    // handle.
    std::wstring probe;
    try {
        probe = win::widen(folder) + L"\\.pravik-write-probe-" + std::to_wstring(::GetCurrentProcessId());
    } catch (const codec::ConversionError&) {
        return false;
    }
    const HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE,
                                      nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_FILE_EXISTS; // a probe of our own left behind
    ::CloseHandle(file);
    return true;
}

} // namespace pravik
