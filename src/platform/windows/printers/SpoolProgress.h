#pragma once

#include "SpoolerCalls.h"

#include <chrono>
#include <map>
#include <optional>
#include <string>

namespace pravik::printers {

// True when one of this user's jobs on `printer` is still being spooled and
// grew between two looks `interval` apart: whoever sends it is still at
// work, only slowly.
bool jobStillGrowing(SpoolerCalls& spooler, const std::wstring& printer, std::chrono::milliseconds interval);

// This user's jobs on `printer`, by job id, with their status (JOB_STATUS_*);
// nullopt when the printer cannot be asked.
std::optional<std::map<DWORD, DWORD>> jobsOfUser(SpoolerCalls& spooler, const std::wstring& printer);

} // namespace pravik::printers
