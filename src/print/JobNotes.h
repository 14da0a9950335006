#pragma once

#include "OutcomeUnknown.h"

#include <functional>
#include <string>
#include <vector>

// What the layers under a print job learn about the job in hand besides
// success or failure: that the print system has accepted a job for it, and
// anything the user should be told although it printed. The backend reports;
// the print jobs take it after every job, on the thread that ran it: each
// thread keeps its own, as each runs its own job.
namespace pravik::jobnotes {

void reportAccepted();
void report(std::string note);

// Takes back the job the print system accepted, for a stop that the user
// wants to reach the print system too: Failed once it was cancelled (the
// text says how far it got), Printed when it had already ended printed,
// Unknown when the print system did not say in time.
using JobCancel = std::function<Settlement(OutcomeUnknown::Clock::time_point until)>;
void reportCancel(JobCancel cancel);

struct Taken {
    bool accepted = false;
    std::vector<std::string> notes;
    JobCancel cancel; // empty: nothing to take back
};
// Everything reported since the last take, and forgets it.
Taken take();

// The note of a row whose job failed once the print system had it: the row
// counts as printed, since printing it again would print it twice.
std::string failedAfterAcceptance(const std::string& error);
// The note of a row rendered ahead whose job failed after rendering, before
// its turn came: its rendered job was still handed over and accepted.
std::string failedBeforeHandOver(const std::string& error);

} // namespace pravik::jobnotes
