#include "OutcomeUnknown.h"

#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace pravik {

struct OutcomeUnknown::State {
    std::mutex mutex;
    Settle settle;
    std::optional<Settlement> settled;
};

OutcomeUnknown::OutcomeUnknown(const std::string& text, Settle settle)
    : Error(text), state_(std::make_shared<State>())
{
    state_->settle = std::move(settle);
}

void OutcomeUnknown::settle(Clock::time_point until) const
{
    std::lock_guard lock(state_->mutex);
    if (state_->settled || !state_->settle)
        return;
    Settlement found = state_->settle(until);
    if (found.outcome != Settlement::Outcome::Unknown)
        state_->settled = std::move(found);
    state_->settle = nullptr;
}

Settlement OutcomeUnknown::settled() const
{
    std::lock_guard lock(state_->mutex);
    return state_->settled.value_or(Settlement{Settlement::Outcome::Unknown, what()});
}

namespace {

std::mutex looseEndsMutex;
std::vector<LooseEnd> looseEnds;

} // namespace

void leaveLooseEnd(LooseEnd end)
{
    std::lock_guard lock(looseEndsMutex);
    looseEnds.push_back(std::move(end));
}

void tieLooseEnds(OutcomeUnknown::Clock::time_point until)
{
    std::vector<LooseEnd> ends;
    {
        std::lock_guard lock(looseEndsMutex);
        ends = std::exchange(looseEnds, {});
    }
    for (const LooseEnd& end : ends)
        end(until);
}

} // namespace pravik
