// Keeps Wine's desktop and COM services up for as long as the test session
// runs, so that they start once rather than for every test. Without a
// display no window can be made; holding COM and a message queue is enough.
#include <objbase.h>
#include <windows.h>

int main()
{
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue
    for (;;) {
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&message);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
    }
}
