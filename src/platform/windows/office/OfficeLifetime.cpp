#include "OfficeLifetime.h"

namespace pravik::office {

// COM calls block in the server's own message loop, which keeps the
// program's windows painted; there is nothing to run between polls.
void setIdleHook(std::function<void()>) {}

void shutdownEngines() {}

void waitUntilPreviewsClosed() {}

} // namespace pravik::office
