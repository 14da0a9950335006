#pragma once

#include "AutomationBackend.h"
#include "SpoolerCalls.h"

#include <windows.h>

#include <chrono>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace pravik::win {

// Word and Excel go on spooling a print after its call was given up at the
// deadline. A job of this user that reached the printer since the print
// began is that print's: its row is settled from the spooler, never failed.

// At the deadline of a print on `printer` that began with `before`: the
// jobs that came since, and how to settle the row from them (printed once
// they have left the queue or are marked printed; otherwise unknown).
// nullopt when none came.
std::optional<JobPastDeadline> jobPastDeadline(std::shared_ptr<printers::SpoolerCalls> spooler,
                                               const std::wstring& printer, const std::set<DWORD>& before,
                                               std::chrono::seconds deadline);

} // namespace pravik::win
