// However a run ends, nothing of its offices outlives it for long: no
// process, no pipe socket, no temp folder, no spool file. An office whose
// program and guardian were both killed is ended by the next run.
#include "EngineSession.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <thread>

namespace pravik::test {
namespace {

using Leftovers = std::vector<std::string>;

// Runs a long job and, once its office is at work, does `end` to the
// program (given its pid). Returns the run.
PravikRun runEndedBy(const std::string& name, const std::function<void(pid_t)>& end,
                     bool checkNoOfficeLeft = true)
{
    const PdfQueue queue(name);
    const std::string list = writeList(name + ".lst", {row("long.doc", "", "1", queue.name())});
    return runPravik({"--print", list, "--ini", writeIni(name + ".ini", "")},
                     [&](const std::string& line, pid_t pravik) {
        if (!line.starts_with("[1/1]"))
            return;
        EXPECT_TRUE(waitUntilRendering(pravik));
        end(pravik);
    }, checkNoOfficeLeft);
}

void killWithGuardian(pid_t pravik)
{
    const pid_t guardian = guardianOf(pravik);
    ASSERT_GT(guardian, 0);
    ::kill(guardian, SIGKILL);
    ::kill(pravik, SIGKILL);
}

TEST(OfficeHygiene, AnOfficeLeftByAKilledProgramAndGuardianIsEndedByTheNextRun)
{
    std::vector<pid_t> orphans;
    const PravikRun killed = runEndedBy("orphaned", [&](pid_t pravik) {
        const std::vector<pid_t> offices = officeProcessesOf(pravik);
        killWithGuardian(pravik);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        orphans = officeProcessesOf(pravik);
        EXPECT_FALSE(offices.empty());
    }, false);
    ASSERT_FALSE(orphans.empty()) << "the office should have outlived its program and guardian";

    const PdfQueue queue("after_orphan");
    const PravikRun next = runPravik({"--print", writeList("after_orphan.lst", {row("pages.doc", "\"1\"", "1", queue.name())}),
                                      "--ini", writeIni("after_orphan.ini", "")});
    EXPECT_EQ(next.status, 0) << next.progress;
    EXPECT_EQ(queue.printedMarkers(), (std::vector<std::string>{"PAGE-MARK-1"}));
    EXPECT_EQ(leftoversOf({killed.pid, next.pid}), Leftovers{});
}

TEST(OfficeHygiene, AStopSignalGivesUpTheRowStillRenderingAndLeavesNothing)
{
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        const PravikRun run = runEndedBy("signalled", [&](pid_t pravik) { ::kill(pravik, signal); });
        EXPECT_EQ(run.status, 128 + signal) << run.progress;
        EXPECT_NE(run.progress.find("中止の要求を受けました"), std::string::npos) << run.progress;
        // Still rendering, nothing of it had left: it is stopped, not printed.
        ASSERT_EQ(run.results.size(), 1u) << run.progress;
        EXPECT_EQ(fields(run.results[0])[0], "stopped") << run.progress;
        EXPECT_EQ(leftoversOf({run.pid}), Leftovers{});
    }
}

TEST(OfficeHygiene, AStopEndsTheRunWithoutWaitingForRowsRenderingAhead)
{
    const PdfQueue queue("stopped_ahead");
    const std::string list = writeList("stopped_ahead.lst", {row("pages.doc", "\"1\"", "1", queue.name()),
                                                             row("long.doc", "", "1", queue.name()),
                                                             row("long.doc", "", "1", queue.name())});
    std::chrono::steady_clock::time_point signalled;
    const PravikRun run = runPravik(
        {"--print", list, "--ini", writeIni("stopped_ahead.ini", ""), "--engines", "3"},
        [&](const std::string& line, pid_t pravik) {
            if (!line.starts_with("[1/3]"))
                return;
            // Three offices at work: the long rows render ahead.
            for (int i = 0; i < 500 && officeProcessesOf(pravik).size() < 3; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            signalled = std::chrono::steady_clock::now();
            ::kill(pravik, SIGTERM);
        });
    const auto stopping = std::chrono::steady_clock::now() - signalled;
    EXPECT_EQ(run.status, 128 + SIGTERM) << run.progress;
    // Every row has its line; the first one printed only if its job had left.
    ASSERT_EQ(run.results.size(), 3u) << run.progress;
    const bool firstPrinted = fields(run.results[0])[0] == "printed";
    EXPECT_TRUE(firstPrinted || fields(run.results[0])[0] == "stopped") << run.progress;
    EXPECT_EQ(fields(run.results[1])[0], "stopped");
    EXPECT_EQ(fields(run.results[2])[0], "stopped");
    // Rendering a long row takes far longer than this.
    EXPECT_LT(stopping, std::chrono::seconds(20));
    EXPECT_EQ(queue.printedMarkers(), firstPrinted ? std::vector<std::string>{"PAGE-MARK-1"} : std::vector<std::string>{});
    EXPECT_EQ(leftoversOf({run.pid}), Leftovers{});
}

// Every way a run can end, over and over; PRAVIK_HYGIENE_RUNS sets how many
// runs (the default keeps the test short).
TEST(OfficeHygiene, RunsEndedInEveryWayLeaveNothingBehind)
{
    const char* wanted = std::getenv("PRAVIK_HYGIENE_RUNS");
    const int runs = wanted ? std::atoi(wanted) : 6;
    const std::vector<std::function<void(pid_t)>> endings = {
        [](pid_t) {},
        [](pid_t pravik) { ::kill(pravik, SIGTERM); },
        [](pid_t pravik) { ::kill(pravik, SIGKILL); },
        killWithGuardian,
        [](pid_t pravik) {
            ::kill(pravik, SIGINT);
            ::kill(pravik, SIGINT); // the second one ends it at once
        },
        [](pid_t pravik) { ::kill(pravik, SIGHUP); },
    };
    std::vector<pid_t> pids;
    for (int i = 0; i < runs; ++i)
        pids.push_back(runEndedBy("every_way", endings[static_cast<size_t>(i) % endings.size()], false).pid);
    // The last run ends normally, and ends any office an earlier one left.
    const PravikRun last = runEndedBy("every_way_last", [](pid_t) {});
    pids.push_back(last.pid);
    EXPECT_EQ(last.status, 0) << last.progress;
    std::vector<std::string> left = leftoversOf(pids);
    for (int i = 0; i < 50 && !left.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        left = leftoversOf(pids);
    }
    EXPECT_EQ(left, Leftovers{});
}

} // namespace
} // namespace pravik::test
