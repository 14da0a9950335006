#include "SubmissionGate.h"

#include "AutomationWorker.h"

#include <algorithm>
#include <utility>

namespace pravik {

namespace {

thread_local SubmissionTurn* currentTurn = nullptr;

} // namespace

void SubmissionGate::refuseThrough(int ticket)
{
    std::lock_guard lock(mutex_);
    refusedThrough_ = std::max(refusedThrough_, ticket);
}

bool SubmissionGate::refused(int ticket) const
{
    std::lock_guard lock(mutex_);
    return ticket <= refusedThrough_;
}

SubmissionTurn::SubmissionTurn() : outer_(currentTurn) { currentTurn = this; }

SubmissionTurn::~SubmissionTurn() { currentTurn = outer_; }

std::vector<HandOver> SubmissionTurn::take() { return std::exchange(handOvers_, {}); }

SubmissionWithdrawn::SubmissionWithdrawn()
    : Error("中止されたため、印刷の待ち行列には送りませんでした")
{
}

void handOverInTurn(HandOver handOver)
{
    if (SubmissionTurn* turn = currentTurn)
        turn->handOvers_.push_back(std::move(handOver));
    else if (beginHandOver())
        handOver();
    else
        throw SubmissionWithdrawn(); // a stop came first: the rendered file goes unsent
}

} // namespace pravik
