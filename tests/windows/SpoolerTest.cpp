// The printer list over a spooler that fails as Windows' does.
#include "Error.h"
#include "SystemPrinters.h"

#include <gtest/gtest.h>

#include <winspool.h>

using namespace pravik;
using namespace pravik::printers;

namespace {

struct FakeSpooler : SpoolerCalls {
    std::vector<std::wstring> printers{L"Laser"};
    std::wstring defaultName = L"Laser";
    std::vector<std::wstring> addedWhileAsked; // appear after the size was told
    DWORD failure = ERROR_SUCCESS;
    bool running = true;

    BOOL enumPrinters(BYTE* buffer, DWORD size, DWORD* needed, DWORD* count) override
    {
        if (failure != ERROR_SUCCESS)
            return ::SetLastError(failure), FALSE;
        *needed = static_cast<DWORD>(printers.size() * sizeof(PRINTER_INFO_4W));
        for (const std::wstring& name : printers)
            *needed += static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t));
        const bool fits = size >= *needed;
        printers.insert(printers.end(), addedWhileAsked.begin(), addedWhileAsked.end());
        addedWhileAsked.clear();
        if (!fits)
            return ::SetLastError(ERROR_INSUFFICIENT_BUFFER), FALSE;
        auto* info = reinterpret_cast<PRINTER_INFO_4W*>(buffer);
        auto* text = reinterpret_cast<wchar_t*>(info + printers.size());
        *count = static_cast<DWORD>(printers.size());
        for (const std::wstring& name : printers) {
            *info++ = PRINTER_INFO_4W{wcscpy(text, name.c_str()), nullptr, 0};
            text += name.size() + 1;
        }
        return TRUE;
    }
    BOOL defaultPrinter(wchar_t* name, DWORD* size) override
    {
        const DWORD needed = static_cast<DWORD>(defaultName.size() + 1);
        if (!name || *size < needed)
            return *size = needed, ::SetLastError(ERROR_INSUFFICIENT_BUFFER), FALSE;
        wcscpy(name, defaultName.c_str());
        *size = needed;
        return TRUE;
    }
    bool spoolerRunning() override { return running; }
};

std::string currentOrError(FakeSpooler* spooler)
{
    PrinterService service(makeWinspoolPrinterSource(std::unique_ptr<SpoolerCalls>(spooler)));
    try {
        return service.currentPrinterName();
    } catch (const Error& error) {
        return error.what();
    }
}

} // namespace

TEST(SpoolerPrinters, AListThatGrewMeanwhileIsAskedForAgain)
{
    auto* spooler = new FakeSpooler;
    spooler->addedWhileAsked = {L"Added", L"Default"}; // outgrows the buffer that was sized
    spooler->defaultName = L"Default";
    EXPECT_EQ(currentOrError(spooler), "Default");
}

TEST(SpoolerPrinters, AStoppedSpoolerIsToldAsSuchAndOtherFailuresWithTheSystemsText)
{
    auto* stopped = new FakeSpooler;
    stopped->failure = RPC_S_SERVER_UNAVAILABLE;
    stopped->running = false;
    const std::string text = currentOrError(stopped);
    EXPECT_NE(text.find("印刷スプーラー サービスが停止している"), std::string::npos) << text;

    auto* denied = new FakeSpooler;
    denied->failure = ERROR_ACCESS_DENIED;
    const std::string reason = currentOrError(denied);
    EXPECT_NE(reason.find("プリンタの一覧を取得できません: "), std::string::npos) << reason;
    EXPECT_NE(reason.find("(5)"), std::string::npos) << reason; // the code, after the system's text
}
