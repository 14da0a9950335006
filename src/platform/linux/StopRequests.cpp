#include "StopRequests.h"

#include <atomic>
#include <csignal>
#include <initializer_list>
#include <unistd.h>

namespace pravik {

namespace {

// Lock-free, so safe in a handler; exchanged, so that of two signals taken
// by two threads at once exactly one is the first.
std::atomic<int> firstRequest{0};
static_assert(std::atomic<int>::is_always_lock_free);
void (*immediateExit)() = nullptr;

extern "C" void onStopSignal(int signal)
{
    if (firstRequest.exchange(signal) != 0) {
        if (immediateExit)
            immediateExit();
        ::_exit(128 + signal);
    }
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
    // The three wait for each other on the thread that took one of them.
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&action.sa_mask, signal);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

int stopRequest()
{
    return firstRequest.load();
}

} // namespace pravik
