#include "StopRequests.h"

#include "ServerRecords.h"

#include <windows.h>

namespace pravik {

namespace {

volatile LONG firstRequest = 0;
void (*immediateExit)() = nullptr;

// Runs on a thread of its own that the system starts for each event.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    int number = 0;
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        number = 2;
        break;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        number = 1;
        break;
    default:
        return FALSE;
    }
    if (::InterlockedCompareExchange(&firstRequest, number, 0) != 0) {
        if (immediateExit)
            immediateExit();
        win::endRecordedServers(); // nothing else would end them
        // Not ExitProcess: its DLL detaching would run on this thread while
        // the run's threads, cut off anywhere, may hold the locks it needs.
        ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(128 + number));
    }
    // After these the system ends the process as soon as the handler
    // returns; holding on gives the run the grace the system allows to
    // finish the row in hand and end by itself, which ends this thread too.
    if (number == 1)
        ::Sleep(10'000);
    return TRUE;
}

} // namespace

void handleStopRequests(void (*beforeImmediateExit)())
{
    immediateExit = beforeImmediateExit;
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

int stopRequest()
{
    return static_cast<int>(firstRequest);
}

} // namespace pravik
