#pragma once

#include "Error.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace pravik {

// What a second look at a job found.
struct Settlement {
    enum class Outcome { Printed, Failed, Unknown };
    Outcome outcome = Outcome::Unknown;
    std::string text; // what the row says now (UTF-8)
};

// A row whose job the print system may hold or not: its answer never came.
// Neither "printed" nor "failed" would be the truth (reprinting it could
// print it twice, dropping it could lose it), so the row is neither until a
// second look before the run ends settles it. Copies share the settlement.
class OutcomeUnknown : public Error {
public:
    using Clock = std::chrono::steady_clock;
    // Looks at the job again, giving up at the time it is given.
    using Settle = std::function<Settlement(Clock::time_point until)>;

    OutcomeUnknown(const std::string& text, Settle settle);

    // Looks again, once: later calls keep the first look's settlement.
    void settle(Clock::time_point until) const;
    // Unknown, with this error's text, until settle() found better.
    Settlement settled() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

// Work the print layer leaves for the end of the run, such as taking away a
// job the print system made after its call was given up: nothing of a run
// may stay behind in the print system when it could not print.
using LooseEnd = std::function<void(OutcomeUnknown::Clock::time_point until)>;
void leaveLooseEnd(LooseEnd end);
// Runs and forgets every loose end left so far, each giving up at `until`.
void tieLooseEnds(OutcomeUnknown::Clock::time_point until);

} // namespace pravik
