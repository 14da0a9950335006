#pragma once

#include "AutomationBackend.h"

#include <memory>

namespace pravik {

// The automation backend of this platform. Until an office engine is bound
// in, every object creation fails with EOleSysError, as on a machine without
// the office programs: a run then reports its rows instead of pretending
// they printed.
std::shared_ptr<AutomationBackend> makeSystemAutomationBackend();

} // namespace pravik
