#pragma once

#include "CupsConnection.h"
#include "CupsQueues.h"

#include <string>

namespace pravik::printers {

// Read once a job is accepted: a queue stopped a moment before (out of paper,
// a jam, stopped by someone) still takes jobs, and the row tells the user
// that its job waits. Reports a note for the row when the queue is stopped.
void noteStoppedQueue(CupsConnection& connection, const std::string& uri, const Queue& queue);

// What stops a queue, in the user's words, from its "printer-state-reasons"
// keywords; empty when none says.
std::string stopReasonText(const std::vector<std::string>& reasons);

} // namespace pravik::printers
