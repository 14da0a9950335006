#pragma once

#include <functional>

// What the program's entry needs of the office engines, without their
// component-model headers.
namespace pravik::office {

// Ends every office this program started and waits for them. Also runs at
// exit; calling it earlier (before the windows go) is cleaner.
void shutdownEngines();

// Runs between polls while the program waits on the office or the print
// system, so that windows can repaint. Empty by default.
void setIdleHook(std::function<void()> hook);

// Removes the spool file of a job in progress. Safe in a signal handler.
void removeSpoolFileNow();

// Returns when the preview office shows no document any more (at once when
// no preview was ever shown).
void waitUntilPreviewsClosed();
// The previews are this program's office's: the program waits for them.
inline constexpr bool kPreviewsEndWithProgram = true;

} // namespace pravik::office
