#pragma once

#include "Error.h"

#include <condition_variable>
#include <mutex>

namespace pravik {

// Rows rendered ahead on several offices hand their jobs to the print system
// one at a time, in list order: each row holds a ticket, and a ticket may
// hand over only once the run has let it through. The run lets a row through
// only after every earlier row was handed over or failed, so the queue
// receives the jobs in list order, as with one office.
class SubmissionGate {
public:
    // Ticket `ticket` may hand over now.
    void letThrough(int ticket);
    // Every ticket up to `ticket` is refused: waiting ones and later arrivals.
    void refuseThrough(int ticket);
    bool refused(int ticket) const;
    // Blocks until the ticket is let through (true) or refused (false).
    bool awaitTurn(int ticket);

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    int letThrough_ = -1;
    int refusedThrough_ = -1;
};

// Binds the job running on this thread to its ticket while alive.
class SubmissionTurn {
public:
    SubmissionTurn(SubmissionGate& gate, int ticket);
    ~SubmissionTurn();
    SubmissionTurn(const SubmissionTurn&) = delete;
    SubmissionTurn& operator=(const SubmissionTurn&) = delete;

private:
    SubmissionTurn* outer_;
    friend void awaitSubmissionTurn();
    SubmissionGate& gate_;
    int ticket_;
};

// The run was stopped while this row waited for its turn: nothing of it was
// handed to the print system.
class SubmissionWithdrawn : public Error {
public:
    SubmissionWithdrawn();
};

// Called right before a rendered job is handed to the print system: returns
// when it is the job's turn (at once for a job without a ticket), throws
// SubmissionWithdrawn when the run stopped first. The wait is on the run, not
// on the server, so no deadline counts it.
void awaitSubmissionTurn();

} // namespace pravik
