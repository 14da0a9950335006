#pragma once

#include "AutomationBackend.h"

#include <memory>

namespace pravik {

// The automation backend of this platform: on Linux the office engine
// (LibreOffice), which serves "Excel.Application" and "Word.Application".
// Nothing starts until a document is first opened.
std::shared_ptr<AutomationBackend> makeSystemAutomationBackend();

} // namespace pravik
