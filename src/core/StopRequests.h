#pragma once

namespace pravik {

// Starts listening for requests to stop `pravik --print` (POSIX: SIGTERM,
// SIGINT, SIGHUP; Windows: the console's Ctrl+C, Ctrl+Break, its closing,
// logoff and shutdown). The first request is only recorded, so that the run
// stops after the row in hand and cleans up after itself; a second ends the
// program at once with 128 + its number, after calling beforeImmediateExit
// (may be null; must be async-signal-safe).
void handleStopRequests(void (*beforeImmediateExit)());

// The number of the first request, 0 while none came: the POSIX signal; on
// Windows 2 (as SIGINT) for Ctrl+C and Ctrl+Break, 1 (as SIGHUP) for the
// console's closing, logoff and shutdown.
int stopRequest();

} // namespace pravik
