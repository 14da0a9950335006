// The printer list over a spooler that fails as Windows' does.
#include "Error.h"
#include "SpoolProgress.h"
#include "SystemPrinters.h"
#include "WideText.h"

#include <gtest/gtest.h>

#include <winspool.h>

using namespace pravik;
using namespace pravik::printers;

namespace {

struct FakeSpooler : SpoolerCalls {
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

std::wstring thisUser()
{
    wchar_t name[257];
    DWORD size = 257;
    ::GetUserNameW(name, &size);
    return name;
}

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

TEST(SpoolerPrinters, TheListIsAskedAgainAsLongAsItOutgrowsTheBufferAndAStoppedSpoolerIsNamed)
{
    auto* growing = new FakeSpooler;
    growing->addedWhileAsked = {L"Added", L"Default"}; // the default is the last
    EXPECT_EQ(currentOrError(growing), "Default");

    auto* stopped = new FakeSpooler;
    stopped->failure = RPC_S_SERVER_UNAVAILABLE;
    stopped->running = false;
    EXPECT_NE(currentOrError(stopped).find("印刷スプーラー サービスが停止している"), std::string::npos);
}

TEST(SpoolProgress, OnlyAJobOfThisUserThatIsStillSpoolingAndGrowingCounts)
{
    const std::wstring me = thisUser();
    const struct {
        FakeSpooler::Job job;
        bool growing;
    } cases[] = {
        {{me, JOB_STATUS_SPOOLING, 1000, 4096}, true},
        {{me, JOB_STATUS_SPOOLING, 1000, 0}, false},        // stalled
        {{L"someone-else", JOB_STATUS_SPOOLING, 1000, 4096}, false},
        {{me, JOB_STATUS_PRINTING, 1000, 4096}, false},     // all spooled already
    };
    for (const auto& c : cases) {
        FakeSpooler spooler;
        spooler.jobs = {{L"other", JOB_STATUS_PRINTING, 5, 0}, c.job};
        EXPECT_EQ(jobStillGrowing(spooler, L"Laser", std::chrono::milliseconds(1)), c.growing)
            << win::utf8Of(c.job.user) << " " << c.job.status << " " << c.job.step;
    }
}
