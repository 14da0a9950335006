#pragma once

#include <functional>

// What the program's entry needs of the office servers. On Windows the
// servers are Office's own processes: the program starts none it must end.
namespace pravik::office {

void shutdownEngines();
void setIdleHook(std::function<void()> hook);
// Returns at once: a preview stays with Office, which the user closes.
void waitUntilPreviewsClosed();
inline constexpr bool kPreviewsEndWithProgram = false;
// Office spools its own jobs: there is no file of this program's to remove.
inline void removeSpoolFileNow() {}

} // namespace pravik::office
