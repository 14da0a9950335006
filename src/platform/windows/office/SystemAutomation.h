#pragma once

#include "AutomationBackend.h"

#include <memory>

namespace pravik {

// The automation backend of this platform: on Windows COM, which finds
// "Excel.Application" and "Word.Application" where Office is installed.
// Every lane drives the same servers: the backend allows one lane.
std::shared_ptr<AutomationBackend> makeSystemAutomationBackend(int lane = 0);

} // namespace pravik
