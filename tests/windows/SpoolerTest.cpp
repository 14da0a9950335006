// The printer list over a spooler that fails as Windows' does.
#include "Error.h"
#include "FakeSpooler.h"
#include "SpoolProgress.h"
#include "SystemPrinters.h"
#include "WideText.h"

#include <gtest/gtest.h>

#include <winspool.h>

using namespace pravik;
using namespace pravik::printers;
using pravik::test::FakeSpooler;
using pravik::test::thisUser;

namespace {

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
