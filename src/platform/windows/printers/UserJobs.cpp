#include "UserJobs.h"

#include <winspool.h>

namespace pravik::printers {

namespace {

std::wstring currentUser()
{
    wchar_t name[257];
    DWORD size = 257;
    return ::GetUserNameW(name, &size) ? std::wstring(name) : std::wstring();
}

} // namespace

std::optional<std::vector<UserJob>> userJobs(SpoolerCalls& spooler, const std::wstring& printer)
{
    std::vector<BYTE> buffer;
    DWORD count = 0;
    // Jobs may come between asking for the size and the list.
    for (int attempt = 0;; ++attempt) {
        DWORD needed = 0;
        if (spooler.enumJobs(printer.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &count))
            break;
        if (attempt == 4 || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size())
            return std::nullopt;
        buffer.resize(needed);
    }
    const std::wstring user = currentUser();
    std::vector<UserJob> found;
    const auto* jobs = reinterpret_cast<const JOB_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        const JOB_INFO_2W& job = jobs[i];
        if (job.pUserName && ::CompareStringOrdinal(job.pUserName, -1, user.c_str(), -1, TRUE) == CSTR_EQUAL)
            found.push_back({job.JobId, job.Status, job.Size, job.PagesPrinted});
    }
    return found;
}

} // namespace pravik::printers
