#include "ServerShown.h"

namespace pravik::win {

namespace {

struct Search {
    DWORD processId;
    bool shown = false;
};

BOOL CALLBACK lookAt(HWND window, LPARAM data)
{
    auto& search = *reinterpret_cast<Search*>(data);
    DWORD process = 0;
    if (!::GetWindowThreadProcessId(window, &process) || process != search.processId || !::IsWindowVisible(window))
        return TRUE;
    wchar_t name[32] = L"";
    ::GetClassNameW(window, name, 32);
    if (::lstrcmpiW(name, L"OpusApp") == 0 || ::lstrcmpiW(name, L"XLMAIN") == 0) {
        search.shown = true;
        return FALSE;
    }
    return TRUE;
}

} // namespace

bool serverShownToUser(DWORD processId)
{
    Search search{processId};
    ::EnumWindows(lookAt, reinterpret_cast<LPARAM>(&search));
    return search.shown;
}

} // namespace pravik::win
