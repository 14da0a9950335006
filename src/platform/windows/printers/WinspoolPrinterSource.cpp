#include "SystemPrinters.h"

#include "Error.h"
#include "SystemMessage.h"
#include "WideText.h"

#include <winspool.h>

#include <vector>

namespace pravik::printers {

namespace {

// Printers may come and go between asking for the size and the list.
constexpr int kAttempts = 5;

std::string stoppedSpoolerText(DWORD error)
{
    return "印刷スプーラー サービスが停止しているため、プリンターを取得できません: "
        + win::systemMessageWithCode(static_cast<long>(error), {});
}

// What a failure of the spooler's calls means: unreachable when the spooler
// is not running (the caller reports it as such, not as "no printer"), else
// the system's own text.
PrinterQuery failure(SpoolerCalls& spooler, const char* what, DWORD error)
{
    if (!spooler.spoolerRunning())
        return {{}, {}, stoppedSpoolerText(error)};
    throw Error(std::string(what) + ": " + win::systemMessageWithCode(static_cast<long>(error), {}));
}

class WinspoolPrinterSource : public PrinterSource {
public:
    explicit WinspoolPrinterSource(std::unique_ptr<SpoolerCalls> spooler) : spooler_(std::move(spooler)) {}

    PrinterQuery query() override
    {
        PrinterQuery found;
        DWORD error = ERROR_SUCCESS;
        if (!installedPrinters(found.names, error))
            return failure(*spooler_, "プリンターの一覧を取得できません", error);
        if (!defaultPrinter(found.defaultName, error))
            return failure(*spooler_, "デフォルト プリンターを取得できません", error);
        return found;
    }

private:
    // The installed printers, local ones and connections, in the system's order.
    bool installedPrinters(std::vector<std::string>& names, DWORD& error)
    {
        std::vector<BYTE> buffer;
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            DWORD needed = 0, count = 0;
            if (spooler_->enumPrinters(buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &count)) {
                const auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
                for (DWORD i = 0; i < count; ++i)
                    names.push_back(win::utf8Of(info[i].pPrinterName ? info[i].pPrinterName : L""));
                return true;
            }
            error = ::GetLastError();
            if (error != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size())
                return false;
            buffer.resize(needed);
        }
        return false;
    }

    // Empty when no printer is the default.
    bool defaultPrinter(std::string& name, DWORD& error)
    {
        std::wstring wide;
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            DWORD size = static_cast<DWORD>(wide.size());
            if (spooler_->defaultPrinter(wide.empty() ? nullptr : wide.data(), &size)) {
                wide.resize(size > 0 ? size - 1 : 0);
                name = win::utf8Of(wide);
                return true;
            }
            error = ::GetLastError();
            if (error == ERROR_FILE_NOT_FOUND)
                return true; // no default printer
            if (error != ERROR_INSUFFICIENT_BUFFER || size <= wide.size())
                return false;
            wide.assign(size, L'\0');
        }
        return false;
    }

    std::unique_ptr<SpoolerCalls> spooler_;
};

class SystemSpooler : public SpoolerCalls {
public:
    BOOL enumPrinters(BYTE* buffer, DWORD size, DWORD* needed, DWORD* count) override
    {
        return ::EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, buffer, size,
                               needed, count);
    }
    BOOL defaultPrinter(wchar_t* name, DWORD* size) override { return ::GetDefaultPrinterW(name, size); }
    bool spoolerRunning() override
    {
        const SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
        if (!manager)
            return true; // cannot tell: the failure speaks for itself
        bool running = true;
        if (const SC_HANDLE service = ::OpenServiceW(manager, L"Spooler", SERVICE_QUERY_STATUS)) {
            SERVICE_STATUS status{};
            if (::QueryServiceStatus(service, &status))
                running = status.dwCurrentState == SERVICE_RUNNING;
            ::CloseServiceHandle(service);
        }
        ::CloseServiceHandle(manager);
        return running;
    }
    BOOL enumJobs(const wchar_t* printer, BYTE* buffer, DWORD size, DWORD* needed, DWORD* count) override
    {
        HANDLE handle = nullptr;
        if (!::OpenPrinterW(const_cast<wchar_t*>(printer), &handle, nullptr))
            return FALSE;
        const BOOL listed = ::EnumJobsW(handle, 0, 0xFFFF, 2, buffer, size, needed, count);
        const DWORD error = ::GetLastError();
        ::ClosePrinter(handle);
        ::SetLastError(error);
        return listed;
    }
};

} // namespace

std::unique_ptr<SpoolerCalls> systemSpooler()
{
    return std::make_unique<SystemSpooler>();
}

std::unique_ptr<PrinterSource> makeWinspoolPrinterSource(std::unique_ptr<SpoolerCalls> spooler)
{
    return std::make_unique<WinspoolPrinterSource>(std::move(spooler));
}

} // namespace pravik::printers
