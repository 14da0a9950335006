// Keeps one hidden window open for as long as the test session runs, so that
// Wine starts its desktop process once rather than for every test.
#include <windows.h>

int main()
{
    HWND window = ::CreateWindowExW(0, L"STATIC", L"pravik-wine-keeper", 0, 0, 0, 0, 0, nullptr,
                                    nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!window)
        return 1;
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&message);
    return 0;
}
