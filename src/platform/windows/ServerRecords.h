#pragma once

#include <windows.h>

// The office servers this run started, recorded so that they are ended
// when the run cannot end them itself: a second Ctrl+C or a crash ends them
// at once (endRecordedServers), and the start after a run that died ends
// that run's (endServersOfDeadRuns). A server is known by its process id
// and creation time together, so that a process that took over the id of
// an ended one is never touched.
namespace pravik::win {

// When the process was created, as the system tells it apart from a later
// one under the same id; 0 when it cannot be told.
ULONGLONG processCreationTime(HANDLE process);

// Records the process held by `process` (a hold of its own is kept) until
// as many forgetServer calls as records of it came.
void recordServer(HANDLE process);
void forgetServer(HANDLE process);

// The process with this id and creation time is recorded: another server
// of this run holds it.
bool serverRecorded(DWORD id, ULONGLONG createdAt);

// Ends every recorded server. Takes no lock and no heap: for a crash
// handler and the console's stop handler.
void endRecordedServers();

// Ends the servers recorded by runs of this user whose process has ended,
// except one the user has taken over (ServerShown.h).
void endServersOfDeadRuns();

} // namespace pravik::win
