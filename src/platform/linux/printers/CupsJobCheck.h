#pragma once

#include "OutcomeUnknown.h"

#include <string>
#include <vector>

namespace pravik::printers {

// Gone: the print system does not know the job (it restarted without it, or
// its queue was removed with its jobs): the job will not print.
enum class Received { Yes, No, Gone, Unknown };

// Whether the job holds its document, asked until `until` on connections that
// no deadline cuts short (the print system may be restarting meanwhile).
Received documentReceived(const std::string& uri, int jobId, OutcomeUnknown::Clock::time_point until);

// Cancels the job, asking again until `until`, and finds out what became of
// it: Failed once the cancel took or the job is gone (it will not print),
// Printed when it had completed before, Unknown when the print system did not
// say in time.
Settlement::Outcome settleJob(const std::string& uri, int jobId, OutcomeUnknown::Clock::time_point until);

// A job request whose answer never came may still make its job, then or
// later: the run's end looks for it (see cancelUnansweredCreates) and, when
// it is not there yet, leaves it on record for the next run.
void cancelUnansweredCreatesAtRunEnd();

// Cancels the job each of this run's unanswered requests made, found by what
// only this run knows: the queue, the job's name, a creation no earlier than
// the request, no document, and no other run still going that holds it or
// asked for a job of that name on that queue. Gives up at `until`.
void cancelUnansweredCreates(OutcomeUnknown::Clock::time_point until);

// Finishes what runs which are gone left, a few seconds at most for each:
// cancels their jobs that wait for a document and looks for the jobs of
// their unanswered requests. Returns what became of each job whose document
// was in flight when its run ended, in the user's words.
std::vector<std::string> cancelJobsLeftByEndedRuns();

} // namespace pravik::printers
