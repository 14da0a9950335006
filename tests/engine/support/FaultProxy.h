#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace pravik::test {

// The session's print system behind a proxy that misbehaves as told
// (support/ipp_fault_proxy.py gives the rules, such as
// "Send-Document:1:hold-request:60"). While one lives, the programs a test
// starts reach the print system through it; the test's own calls do not.
class FaultProxy {
public:
    explicit FaultProxy(const std::vector<std::string>& rules);
    ~FaultProxy();
    FaultProxy(const FaultProxy&) = delete;
    FaultProxy& operator=(const FaultProxy&) = delete;

    // Ends every hold at once: held requests go on to the print system.
    void release() const;
    // When the proxy logged that event ("request", "answer held", "answer
    // passed") of the n-th request of that operation, in seconds since the
    // epoch; 0 while it has not.
    double loggedAt(const std::string& operation, int number, const std::string& event) const;

private:
    pid_t pid_ = -1;
    std::string socket_;
    std::string log_;
};

// Ends the session's print system with the signal (SIGTERM as an upgrade
// does, SIGKILL as a crash) and starts it again on the same socket, with the
// queues it had; returns once it answers.
void restartPrintSystem(int signal);

// Jobs of the queue in the print system, ended ones included, as
// `lpstat -W all` lists them.
int jobsHeldBy(const std::string& queue);

} // namespace pravik::test
