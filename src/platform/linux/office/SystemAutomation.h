#pragma once

#include "AutomationBackend.h"

#include <memory>

namespace pravik {

// The automation backend of this platform: on Linux the office engine
// (LibreOffice), which serves "Excel.Application" and "Word.Application".
// Nothing starts until a document is first opened.
// `lane` picks which of the print offices the backend drives, when several
// render side by side; lane 0 also shows previews.
std::shared_ptr<AutomationBackend> makeSystemAutomationBackend(int lane = 0);

} // namespace pravik
