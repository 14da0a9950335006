// A stop by signal ends every run without anyone's help: at once when asked
// twice, and without waiting for windows nobody may be there to close.
#include "EngineSession.h"
#include "FaultProxy.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace pravik::test {
namespace {

using Clock = std::chrono::steady_clock;

TEST(Stop, ASecondSignalAfterTheFirstWasHeardEndsTheProgramAtOnce)
{
    const PdfQueue queue("second_signal");
    for (int attempt = 0; attempt < 3; ++attempt) {
        Clock::time_point second;
        std::vector<pid_t> offices;
        const PravikRun run = runPravik(
            {"--print", writeList("second_signal.lst", {row("long.doc", "", "1", queue.name())}), "--ini",
             writeIni("second_signal.ini", ""), "--timeout", "60", "--engines", "1"},
            [&](const std::string& line, pid_t pravik) {
                if (line.starts_with("[1/1]")) {
                    // A stalled office: the first signal waits for its row.
                    EXPECT_TRUE(waitUntilRendering(pravik));
                    offices = officeProcessesOf(pravik);
                    for (pid_t office : offices)
                        ::kill(office, SIGSTOP);
                    ::kill(pravik, SIGTERM);
                } else if (line.find("中止の要求を受けました") != std::string::npos) {
                    second = Clock::now();
                    ::kill(pravik, SIGTERM);
                }
            },
            false);
        const auto ended = Clock::now();
        for (pid_t office : offices)
            ::kill(office, SIGKILL);
        ASSERT_NE(second, Clock::time_point{}) << run.progress;
        EXPECT_EQ(run.status, 128 + SIGTERM) << run.progress;
        EXPECT_LT(ended - second, std::chrono::seconds(2)) << "attempt " << attempt;
    }
}

TEST(Stop, TheFirstSignalEndsTheOfficeOfARowNotYetHandedOverAndNothingOfItPrints)
{
    const PdfQueue queue("stop_in_render");
    Clock::time_point signalled;
    const PravikRun run = runPravik(
        {"--print",
         writeList("stop_in_render.lst",
                   {row("long.doc", "", "1", queue.name()), row("pages.doc", "", "1", queue.name())}),
         "--ini", writeIni("stop_in_render.ini", ""), "--timeout", "60", "--engines", "1"},
        [&](const std::string& line, pid_t pravik) {
            if (!line.starts_with("[1/2]"))
                return;
            // A stalled office, which only the deadline would end before.
            EXPECT_TRUE(waitUntilRendering(pravik));
            for (pid_t office : officeProcessesOf(pravik))
                ::kill(office, SIGSTOP);
            signalled = Clock::now();
            ::kill(pravik, SIGTERM);
        });
    EXPECT_LT(Clock::now() - signalled, std::chrono::seconds(10)) << run.progress;
    EXPECT_EQ(run.status, 128 + SIGTERM) << run.progress;
    ASSERT_GE(run.results.size(), 1u) << run.progress;
    EXPECT_NE(run.results[0].find("中止"), std::string::npos) << run.results[0];
    EXPECT_NE(fields(run.results[0])[0], "printed");
    EXPECT_TRUE(queue.printedMarkers().empty());
}

TEST(Stop, AStopCutsAStalledHandOverAndTheRowSaysWhatThePrintSystemReceived)
{
    const PdfQueue queue("stopped_hand_over");
    FaultProxy proxy({"Send-Document:1:hold-answer:600"});
    Clock::time_point signalled;
    const PravikRun run = runPravik(
        {"--print", writeList("stopped_hand_over.lst", {row("pages.doc", "\"1\"", "1", queue.name())}), "--ini",
         writeIni("stopped_hand_over.ini", ""), "--timeout", "100"},
        [&](const std::string& line, pid_t pravik) {
            if (!line.starts_with("[1/1]"))
                return;
            for (int i = 0; i < 600 && proxy.loggedAt("Send-Document", 1, "answer held") == 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            signalled = Clock::now();
            ::kill(pravik, SIGTERM);
        });
    EXPECT_LT(Clock::now() - signalled, std::chrono::seconds(5));
    EXPECT_EQ(run.status, 128 + SIGTERM) << run.progress;
    ASSERT_EQ(run.results.size(), 1u) << run.progress;
    // The print system had the whole document before its answer was held.
    EXPECT_EQ(fields(run.results[0])[0], "printed") << run.results[0];
    EXPECT_EQ(queue.printedMarkers(), std::vector<std::string>{"PAGE-MARK-1"});
}

TEST(Stop, APreviewRunEndsOnTheFirstSignal)
{
    Clock::time_point signalled;
    const PravikRun run = runPravik(
        {"--preview", writeList("preview_stop.lst", {row("pages.doc", "", "1", "Default")}), "--ini",
         writeIni("preview_stop.ini", "")},
        [&](const std::string& line, pid_t pravik) {
            if (!line.starts_with("[1/1]"))
                return;
            // The preview is up and waits for its reader.
            std::this_thread::sleep_for(std::chrono::seconds(5));
            signalled = Clock::now();
            ::kill(pravik, SIGTERM);
        });
    EXPECT_EQ(run.status, 128 + SIGTERM) << run.progress;
    EXPECT_LT(Clock::now() - signalled, std::chrono::seconds(10)) << run.progress;
}

} // namespace
} // namespace pravik::test
