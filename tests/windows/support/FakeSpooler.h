#pragma once

#include "SpoolerCalls.h"

#include <winspool.h>

#include <cwchar>
#include <string>
#include <vector>

namespace pravik::test {

// A spooler that answers as Windows' does, from lists the test sets.
struct FakeSpooler : printers::SpoolerCalls {
    std::vector<std::wstring> printers{L"Laser"};
    std::vector<std::wstring> addedWhileAsked; // come after the size was told
    DWORD failure = ERROR_SUCCESS;
    bool running = true;

    BOOL enumPrinters(BYTE* buffer, DWORD size, DWORD* needed, DWORD* count) override
    {
        *needed = static_cast<DWORD>(printers.size() * (sizeof(PRINTER_INFO_4W) + 32 * sizeof(wchar_t)));
        const bool fits = size >= *needed;
        printers.insert(printers.end(), addedWhileAsked.begin(), addedWhileAsked.end());
        addedWhileAsked.clear();
        ::SetLastError(failure != ERROR_SUCCESS ? failure : ERROR_INSUFFICIENT_BUFFER);
        if (!fits || failure != ERROR_SUCCESS)
            return FALSE;
        auto* info = reinterpret_cast<PRINTER_INFO_4W*>(buffer);
        auto* text = reinterpret_cast<wchar_t*>(info + printers.size());
        for (size_t i = 0; i < printers.size(); ++i)
            info[i] = PRINTER_INFO_4W{wcscpy(text + 32 * i, printers[i].c_str()), nullptr, 0};
        *count = static_cast<DWORD>(printers.size());
        return TRUE;
    }
    BOOL defaultPrinter(wchar_t* name, DWORD* size) override
    {
        *size = static_cast<DWORD>(printers.back().size() + 1);
        return name ? wcscpy(name, printers.back().c_str()) != nullptr
                    : (::SetLastError(ERROR_INSUFFICIENT_BUFFER), FALSE);
    }
    bool spoolerRunning() override { return running; }

    // Each look finds every job grown by its step.
    struct Job {
        std::wstring user;
        DWORD status, size, step;
    };
    std::vector<Job> jobs;
    BOOL enumJobs(const wchar_t*, BYTE* buffer, DWORD size, DWORD* needed, DWORD* count) override
    {
        *needed = static_cast<DWORD>(jobs.size() * (sizeof(JOB_INFO_2W) + 64 * sizeof(wchar_t)));
        if (size < *needed) {
            ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        auto* info = reinterpret_cast<JOB_INFO_2W*>(buffer);
        auto* text = reinterpret_cast<wchar_t*>(info + jobs.size());
        for (size_t i = 0; i < jobs.size(); ++i) {
            info[i] = JOB_INFO_2W{};
            info[i].JobId = static_cast<DWORD>(i + 1);
            info[i].pUserName = wcscpy(text + 64 * i, jobs[i].user.c_str());
            info[i].Status = jobs[i].status;
            info[i].Size = jobs[i].size;
            jobs[i].size += jobs[i].step;
        }
        *count = static_cast<DWORD>(jobs.size());
        return TRUE;
    }
};

inline std::wstring thisUser()
{
    wchar_t name[257];
    DWORD size = 257;
    ::GetUserNameW(name, &size);
    return name;
}

} // namespace pravik::test
