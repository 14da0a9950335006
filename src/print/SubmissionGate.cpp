#include "SubmissionGate.h"

#include "AutomationWorker.h"

#include <algorithm>

namespace pravik {

namespace {

thread_local SubmissionTurn* currentTurn = nullptr;

} // namespace

void SubmissionGate::letThrough(int ticket)
{
    {
        std::lock_guard lock(mutex_);
        letThrough_ = std::max(letThrough_, ticket);
    }
    changed_.notify_all();
}

void SubmissionGate::refuseThrough(int ticket)
{
    {
        std::lock_guard lock(mutex_);
        refusedThrough_ = std::max(refusedThrough_, ticket);
    }
    changed_.notify_all();
}

bool SubmissionGate::refused(int ticket) const
{
    std::lock_guard lock(mutex_);
    return ticket <= refusedThrough_;
}

bool SubmissionGate::awaitTurn(int ticket)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return ticket <= refusedThrough_ || ticket <= letThrough_; });
    return ticket > refusedThrough_;
}

SubmissionTurn::SubmissionTurn(SubmissionGate& gate, int ticket)
    : outer_(currentTurn), gate_(gate), ticket_(ticket)
{
    currentTurn = this;
}

SubmissionTurn::~SubmissionTurn() { currentTurn = outer_; }

SubmissionWithdrawn::SubmissionWithdrawn()
    : Error("中止されたため、印刷の待ち行列には送りませんでした")
{
}

void awaitSubmissionTurn()
{
    SubmissionTurn* turn = currentTurn;
    if (!turn)
        return;
    const UserWait notTheServer;
    if (!turn->gate_.awaitTurn(turn->ticket_))
        throw SubmissionWithdrawn();
}

} // namespace pravik
