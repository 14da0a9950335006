#pragma once

#include "Error.h"

#include <functional>
#include <mutex>
#include <vector>

namespace pravik {

// A rendered job's hand-over to the print system. Whatever it holds (the
// rendered file) goes when it is dropped unused.
using HandOver = std::function<void()>;

// Rows rendered ahead on several offices hand their jobs to the print system
// in list order: each row holds a ticket, and the run hands a row's job over
// only when it reaches that row, after every earlier row's. Tickets the run
// will never reach are refused.
class SubmissionGate {
public:
    // Every ticket up to `ticket` is refused: later arrivals do not start.
    void refuseThrough(int ticket);
    bool refused(int ticket) const;

private:
    mutable std::mutex mutex_;
    int refusedThrough_ = -1;
};

// While alive, the job running on this thread renders ahead of its turn: its
// hand-overs are kept here for the run instead of made at once.
class SubmissionTurn {
public:
    SubmissionTurn();
    ~SubmissionTurn();
    SubmissionTurn(const SubmissionTurn&) = delete;
    SubmissionTurn& operator=(const SubmissionTurn&) = delete;

    // The hand-overs the job made, in its order; taking them clears them.
    std::vector<HandOver> take();

private:
    friend void handOverInTurn(HandOver handOver);
    SubmissionTurn* outer_;
    std::vector<HandOver> handOvers_;
};

// The run stopped before a row started ahead was reached: nothing of it was
// handed to the print system.
class SubmissionWithdrawn : public Error {
public:
    SubmissionWithdrawn();
};

// Called with a rendered job: hands it over now, or, for a job rendering
// ahead of its turn, keeps it for the run. The office that rendered it is
// then free for the next row while the earlier rows' jobs leave first.
void handOverInTurn(HandOver handOver);

} // namespace pravik
