#include "SpoolProgress.h"

#include <winspool.h>

#include <map>
#include <thread>
#include <vector>

namespace pravik::printers {

namespace {

std::wstring currentUser()
{
    wchar_t name[257];
    DWORD size = 257;
    return ::GetUserNameW(name, &size) ? std::wstring(name) : std::wstring();
}

// Calls `use` with each of this user's jobs on `printer`; false when the
// printer cannot be asked.
template <typename Use>
bool forJobsOfUser(SpoolerCalls& spooler, const std::wstring& printer, Use use)
{
    std::vector<BYTE> buffer;
    DWORD count = 0;
    // Jobs may come between asking for the size and the list.
    for (int attempt = 0;; ++attempt) {
        DWORD needed = 0;
        if (spooler.enumJobs(printer.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &count))
            break;
        if (attempt == 4 || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size())
            return false;
        buffer.resize(needed);
    }
    const std::wstring user = currentUser();
    const auto* jobs = reinterpret_cast<const JOB_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        const JOB_INFO_2W& job = jobs[i];
        if (job.pUserName && ::CompareStringOrdinal(job.pUserName, -1, user.c_str(), -1, TRUE) == CSTR_EQUAL)
            use(job);
    }
    return true;
}

// This user's jobs on `printer` that the spooler is still receiving, by job
// id, with the bytes received so far. Empty when the printer cannot be asked.
std::map<DWORD, DWORD> jobsBeingSpooled(SpoolerCalls& spooler, const std::wstring& printer)
{
    std::map<DWORD, DWORD> found;
    forJobsOfUser(spooler, printer, [&](const JOB_INFO_2W& job) {
        if (job.Status & JOB_STATUS_SPOOLING)
            found[job.JobId] = job.Size;
    });
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
    std::map<DWORD, DWORD> found;
    if (!forJobsOfUser(spooler, printer, [&](const JOB_INFO_2W& job) { found[job.JobId] = job.Status; }))
        return std::nullopt;
    return found;
}

} // namespace pravik::printers
