#pragma once

#include "AutomationBackend.h"

#include <memory>

namespace pravik {

// The automation backend of this platform: on Windows COM, which finds
// "Excel.Application" and "Word.Application" where Office is installed.
std::shared_ptr<AutomationBackend> makeSystemAutomationBackend();

} // namespace pravik
