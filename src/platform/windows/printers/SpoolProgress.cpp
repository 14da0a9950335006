#include "SpoolProgress.h"

#include "UserJobs.h"

#include <winspool.h>

#include <map>
#include <thread>

namespace pravik::printers {

namespace {

// This user's jobs on `printer` that the spooler is still receiving, by job
// id, with the bytes received so far. Empty when the printer cannot be asked.
std::map<DWORD, DWORD> jobsBeingSpooled(SpoolerCalls& spooler, const std::wstring& printer)
{
    std::map<DWORD, DWORD> found;
    if (const std::optional<std::vector<UserJob>> jobs = userJobs(spooler, printer))
        for (const UserJob& job : *jobs)
            if (job.status & JOB_STATUS_SPOOLING)
                found[job.id] = job.size;
    return found;
}

} // namespace

bool jobStillGrowing(SpoolerCalls& spooler, const std::wstring& printer, std::chrono::milliseconds interval)
{
    const std::map<DWORD, DWORD> before = jobsBeingSpooled(spooler, printer);
    if (before.empty())
        return false;
    std::this_thread::sleep_for(interval);
    for (const auto& [id, size] : jobsBeingSpooled(spooler, printer))
        if (const auto earlier = before.find(id); earlier != before.end() && size > earlier->second)
            return true;
    return false;
}

std::optional<std::map<DWORD, DWORD>> jobsOfUser(SpoolerCalls& spooler, const std::wstring& printer)
{
    const std::optional<std::vector<UserJob>> jobs = userJobs(spooler, printer);
    if (!jobs)
        return std::nullopt;
    std::map<DWORD, DWORD> found;
    for (const UserJob& job : *jobs)
        found[job.id] = job.status;
    return found;
}

} // namespace pravik::printers
