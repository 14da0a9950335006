#pragma once

#include "CupsQueues.h"
#include "OutcomeUnknown.h"

namespace pravik::printers {

// Cancels a job this program handed over, at the user's stop, asking until
// `until`: Failed once it will print no more (the text says how far it got),
// Printed when it had already ended printed, Unknown when the print system
// did not say in time.
Settlement cancelHandedOverJob(const Queue& queue, int jobId, OutcomeUnknown::Clock::time_point until);

} // namespace pravik::printers
