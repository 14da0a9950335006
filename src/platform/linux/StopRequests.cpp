#include "StopRequests.h"

#include <csignal>
#include <initializer_list>
#include <unistd.h>

namespace pravik {

namespace {

volatile std::sig_atomic_t firstRequest = 0;
void (*immediateExit)() = nullptr;

extern "C" void onStopSignal(int signal)
{
    if (firstRequest != 0) {
        if (immediateExit)
            immediateExit();
        ::_exit(128 + signal);
    }
    firstRequest = signal;
}

} // namespace

void handleStopRequests(void (*beforeImmediateExit)())
{
    immediateExit = beforeImmediateExit;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    // Whatever thread it lands on, a read from the office's pipe must go on,
    // not fail as if the office had gone.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

int stopRequest()
{
    return firstRequest;
}

} // namespace pravik
