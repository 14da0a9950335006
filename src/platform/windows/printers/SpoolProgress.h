#pragma once

#include "SpoolerCalls.h"

#include <chrono>
#include <string>

namespace pravik::printers {

// True when one of this user's jobs on `printer` is still being spooled and
// grew between two looks `interval` apart: whoever sends it is still at
// work, only slowly.
bool jobStillGrowing(SpoolerCalls& spooler, const std::wstring& printer, std::chrono::milliseconds interval);

} // namespace pravik::printers
