#pragma once

#include <windows.h>

#include <memory>

namespace pravik::printers {

// The spooler's calls the printer list makes, each failing as the system's
// does (FALSE, with the reason as the thread's last error).
class SpoolerCalls {
public:
    virtual ~SpoolerCalls() = default;
    // EnumPrintersW, level 4, local printers and connections.
    virtual BOOL enumPrinters(BYTE* buffer, DWORD size, DWORD* needed, DWORD* count) = 0;
    virtual BOOL defaultPrinter(wchar_t* name, DWORD* size) = 0;
    // False only when the print spooler service is known not to run.
    virtual bool spoolerRunning() = 0;
    // EnumJobsW, level 2, every job of the printer.
    virtual BOOL enumJobs(const wchar_t* printer, BYTE* buffer, DWORD size, DWORD* needed, DWORD* count) = 0;
};

std::unique_ptr<SpoolerCalls> systemSpooler();

} // namespace pravik::printers
