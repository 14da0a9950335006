#include "SystemPrinters.h"

#include "Error.h"
#include "WideText.h"

#include <windows.h>
#include <winspool.h>

#include <vector>

namespace pravik::printers {

namespace {

std::string errorText(const char* what, DWORD error)
{
    return std::string(what) + " (エラー " + std::to_string(error) + ")";
}

// The installed printers, local ones and connections, in the system's order.
std::vector<std::string> installedPrinters()
{
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, count = 0;
    ::EnumPrintersW(flags, nullptr, 4, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    if (!::EnumPrintersW(flags, nullptr, 4, buffer.data(), needed, &needed, &count))
        throw Error(errorText("プリンタの一覧を取得できません", ::GetLastError()));
    std::vector<std::string> names;
    const auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        names.push_back(win::utf8Of(info[i].pPrinterName ? info[i].pPrinterName : L""));
    return names;
}

std::string defaultPrinter()
{
    DWORD size = 0;
    ::GetDefaultPrinterW(nullptr, &size);
    if (size == 0)
        return {}; // no default printer
    std::wstring name(size, L'\0');
    if (!::GetDefaultPrinterW(name.data(), &size))
        return {};
    name.resize(size > 0 ? size - 1 : 0);
    return win::utf8Of(name);
}

// The spooler's answer, as UTF-8 names; the service refuses what CP932
// cannot hold.
class WinspoolPrinterSource : public PrinterSource {
public:
    PrinterQuery query() override { return {installedPrinters(), defaultPrinter()}; }
};

} // namespace

std::unique_ptr<PrinterSource> makeWinspoolPrinterSource()
{
    return std::make_unique<WinspoolPrinterSource>();
}

} // namespace pravik::printers
