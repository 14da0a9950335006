// The office engine's process: replaced when it dies, and never outliving
// the program (runPravik checks that after every run).
#include "EngineSession.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace pravik::test {
namespace {

TEST(EngineLifetime, AKilledEngineFailsItsRowAndTheNextRowStartsANewOne)
{
    const PdfQueue first("kill_first"), killed("kill_killed"), next("kill_next");
    const std::string list = writeList("kill.lst", {
        row("pages.doc", "\"1\"", "1", first.name()),
        row("long.doc", "", "1", killed.name()),
        row("pages.doc", "\"2\"", "1", next.name()),
    });
    int killedProcesses = 0;
    // One office: the next row must not be rendering on a second one when
    // every office of the program is killed.
    const PravikRun run = runPravik({"--print", list, "--ini", writeIni("kill.ini", ""), "--engines", "1"},
                                    [&](const std::string& line, pid_t pravik) {
        if (!line.starts_with("[2/3]"))
            return;
        // Well inside the long document's job.
        EXPECT_TRUE(waitUntilRendering(pravik));
        for (pid_t office : officeProcessesOf(pravik))
            killedProcesses += ::kill(office, SIGKILL) == 0;
    });

    EXPECT_GT(killedProcesses, 0);
    EXPECT_EQ(run.status, 1);
    ASSERT_EQ(run.results.size(), 3u) << run.progress;
    EXPECT_EQ(fields(run.results[0])[0], "printed");
    EXPECT_EQ(fields(run.results[1])[0], "failed");
    EXPECT_NE(run.results[1].find("終了しました"), std::string::npos) << run.results[1];
    EXPECT_EQ(fields(run.results[2])[0], "printed") << run.progress;
    EXPECT_EQ(first.printedMarkers(), (std::vector<std::string>{"PAGE-MARK-1"}));
    EXPECT_EQ(next.printedMarkers(), (std::vector<std::string>{"PAGE-MARK-2"}));
}

TEST(EngineLifetime, AStalledEngineFailsItsRowAtTheDeadlineAndTheNextRowPrints)
{
    const PdfQueue first("stall_first"), stalled("stall_stalled"), next("stall_next");
    const std::string list = writeList("stall.lst", {
        row("pages.doc", "\"1\"", "1", first.name()),
        row("long.doc", "", "1", stalled.name()),
        row("pages.doc", "\"2\"", "1", next.name()),
    });
    int stoppedProcesses = 0;
    std::chrono::steady_clock::time_point stoppedAt;
    std::chrono::steady_clock::time_point nextRowAt;
    // Long enough for a warm office on a busy machine, short for a test.
    // One office: every office of the program is stopped.
    const PravikRun run = runPravik({"--print", list, "--ini", writeIni("stall.ini", ""), "--timeout", "20",
                                     "--engines", "1"},
                                    [&](const std::string& line, pid_t pravik) {
        if (line.starts_with("[3/3]"))
            nextRowAt = std::chrono::steady_clock::now();
        if (!line.starts_with("[2/3]"))
            return;
        EXPECT_TRUE(waitUntilRendering(pravik));
        for (pid_t office : officeProcessesOf(pravik))
            stoppedProcesses += ::kill(office, SIGSTOP) == 0;
        stoppedAt = std::chrono::steady_clock::now();
    });

    EXPECT_GT(stoppedProcesses, 0);
    EXPECT_EQ(run.status, 1);
    ASSERT_EQ(run.results.size(), 3u) << run.progress;
    EXPECT_EQ(fields(run.results[0])[0], "printed");
    EXPECT_EQ(fields(run.results[1])[0], "failed");
    EXPECT_NE(run.results[1].find("制限時間 (20 秒)"), std::string::npos) << run.results[1];
    EXPECT_LT(nextRowAt - stoppedAt, std::chrono::seconds(40)) << "the stalled row outlived its deadline";
    EXPECT_EQ(fields(run.results[2])[0], "printed") << run.progress;
    EXPECT_EQ(next.printedMarkers(), (std::vector<std::string>{"PAGE-MARK-2"}));
}

TEST(EngineLifetime, TheEngineEndsWithAProgramThatIsKilled)
{
    const PdfQueue queue("terminated");
    const std::string list = writeList("terminated.lst", {row("long.doc", "", "1", queue.name())});
    bool sawOffice = false;
    const PravikRun run = runPravik({"--print", list, "--ini", writeIni("terminated.ini", "")},
                                    [&](const std::string& line, pid_t pravik) {
        if (!line.starts_with("[1/1]"))
            return;
        for (int i = 0; i < 100 && !sawOffice; ++i) {
            sawOffice = !officeProcessesOf(pravik).empty();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ::kill(pravik, SIGTERM);
    });
    EXPECT_TRUE(sawOffice);
    EXPECT_EQ(run.status, 128 + SIGTERM);
    // runPravik has checked that no office process was left.
}

TEST(EngineLifetime, AnEngineThatCannotStartFailsEachRowWithTheReason)
{
    // A cache "folder" that is a file: the office gets no profile.
    const std::string blocked = EngineSession::get().root + "/not-a-folder";
    std::fclose(std::fopen(blocked.c_str(), "w"));
    const std::string cache = std::getenv("XDG_CACHE_HOME");
    ::setenv("XDG_CACHE_HOME", blocked.c_str(), 1);
    const PdfQueue queue("no_engine");
    const PravikRun run = runPravik({"--print",
                                     writeList("noengine.lst", {row("pages.doc", "", "1", queue.name()),
                                                                row("sheets.xls", "", "1", queue.name())}),
                                     "--ini", writeIni("noengine.ini", "")});
    ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);

    EXPECT_EQ(run.status, 1);
    ASSERT_EQ(run.results.size(), 2u);
    for (const std::string& line : run.results) {
        EXPECT_EQ(fields(line)[0], "failed");
        EXPECT_NE(line.find("を作成できません"), std::string::npos) << line;
    }
}

} // namespace
} // namespace pravik::test
