#pragma once

#include "SpoolerCalls.h"

#include <optional>
#include <string>
#include <vector>

namespace pravik::printers {

// One of this user's jobs as the spooler lists it.
struct UserJob {
    DWORD id = 0;
    DWORD status = 0; // JOB_STATUS_*
    DWORD size = 0;   // bytes received so far
    DWORD pagesPrinted = 0;
};

// This user's jobs on `printer`; nullopt when the spooler cannot say.
std::optional<std::vector<UserJob>> userJobs(SpoolerCalls& spooler, const std::wstring& printer);

} // namespace pravik::printers
