#pragma once

#include "OutcomeUnknown.h"

#include <chrono>
#include <ctime>
#include <string>

namespace pravik::printers {

enum class Received { Yes, No, Unknown };

// Whether the job holds its document, asked on a connection of its own that
// no deadline cuts short, within `limit`.
Received documentReceived(const std::string& uri, int jobId, std::chrono::seconds limit);

// Cancels the job, asking again until `until`, and finds out what became of
// it: Failed once the cancel took (it will not print), Printed when it had
// completed before, Unknown when the print system did not say in time.
Settlement::Outcome settleJob(const std::string& uri, int jobId, OutcomeUnknown::Clock::time_point until);

// A Create-Job given up may still make its job, then or later: the run's
// end cancels this user's jobs on the queue of that name that were made
// since `since` and hold no document (they could never print).
void cancelDocumentlessJobsAtRunEnd(const std::string& uri, const std::string& title, std::time_t since);

// Cancels the jobs that runs which are gone left without their document
// (see JobOnRecord), asking each for a few seconds at most.
void cancelJobsLeftByEndedRuns();

} // namespace pravik::printers
