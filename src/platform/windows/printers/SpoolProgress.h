#pragma once

#include "SpoolerCalls.h"

#include <chrono>
#include <map>
#include <string>

namespace pravik::printers {

// This user's jobs on `printer` that the spooler is still receiving, by job
// id, with the bytes received so far. Empty when the printer cannot be asked.
std::map<DWORD, DWORD> jobsBeingSpooled(SpoolerCalls& spooler, const std::wstring& printer);

// True when one of this user's jobs on `printer` is still being spooled and
// grew between two looks `interval` apart: whoever sends it is still at
// work, only slowly.
bool jobStillGrowing(SpoolerCalls& spooler, const std::wstring& printer, std::chrono::milliseconds interval);

} // namespace pravik::printers
