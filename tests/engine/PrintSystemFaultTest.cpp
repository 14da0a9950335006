// Faults of the print system, made by a proxy in front of it: a row's
// result is the truth of what the print system holds, and every run ends
// within its limits.
#include "EngineSession.h"
#include "FaultProxy.h"

#include <gtest/gtest.h>

#include <csignal>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

namespace pravik::test {
namespace {

using Markers = std::vector<std::string>;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

double now()
{
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// One row on its own office, so that the hand-over to the print system has a
// deadline of its own.
PravikRun printOne(const std::string& name, const PrintEntry& entry, const std::string& timeout)
{
    return runPravik({"--print", writeList(name + ".lst", {entry}), "--ini", writeIni(name + ".ini", ""),
                      "--timeout", timeout, "--engines", "2"});
}

TEST(PrintSystemFaults, AJobMadeAfterItsCreateJobWasGivenUpIsTakenAway)
{
    const PdfQueue queue("late_create");
    FaultProxy proxy({"Create-Job:1:hold-answer:600"});
    const PravikRun run = printOne("late_create", row("pages.doc", "\"1\"", "1", queue.name()), "10");
    ASSERT_EQ(run.results.size(), 1u) << run.progress;
    EXPECT_EQ(fields(run.results[0])[0], "failed") << run.results[0];
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(jobsHeldBy(queue.name()), 0);
}

TEST(PrintSystemFaults, ADocumentThatArrivesAfterTheRunFailedItsRowNeverPrints)
{
    const PdfQueue queue("late_document");
    FaultProxy proxy({"Send-Document:1:hold-request:600"});
    const PravikRun run = printOne("late_document", row("pages.doc", "\"1\"", "1", queue.name()), "10");
    ASSERT_EQ(run.results.size(), 1u) << run.progress;
    EXPECT_EQ(fields(run.results[0])[0], "failed") << run.results[0];
    EXPECT_TRUE(contains(run.results[0], "受け付けられていません")) << run.results[0];
    proxy.release();
    for (int i = 0; i < 50 && proxy.loggedAt("Send-Document", 1, "answer passed") == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(queue.printedMarkers(), Markers{});
    EXPECT_EQ(jobsHeldBy(queue.name()), 0);
}

TEST(PrintSystemFaults, ACancelWithoutAnAnswerLeavesTheRowUnknownNotFailed)
{
    const PdfQueue queue("unanswered_cancel");
    FaultProxy proxy({"Send-Document:1:hold-request:600", "Cancel-Job:*:hold-request:600"});
    const PravikRun run = printOne("unanswered_cancel", row("pages.doc", "\"1\"", "1", queue.name()), "10");
    ASSERT_EQ(run.results.size(), 1u) << run.progress;
    EXPECT_EQ(fields(run.results[0])[0], "unknown") << run.results[0];
    EXPECT_TRUE(contains(run.results[0], "確認できません")) << run.results[0];
    EXPECT_FALSE(contains(run.results[0], "受け付けられていません")) << run.results[0];
    EXPECT_EQ(run.status, 3);
}

TEST(PrintSystemFaults, SettlingAnUncertainRowStaysWithinTheRunsLimits)
{
    const PdfQueue queue("unanswered_check");
    // Nothing says what the print system received until the run's end cancels the job.
    FaultProxy proxy({"Send-Document:1:hold-request:600", "Get-Job-Attributes:*:hold-request:600"});
    const double started = now();
    const PravikRun run = printOne("unanswered_check", row("pages.doc", "\"1\"", "1", queue.name()), "10");
    ASSERT_EQ(run.results.size(), 1u) << run.progress;
    EXPECT_EQ(fields(run.results[0])[0], "failed") << run.results[0];
    // The row's deadline, as long again to ask, the run's end, and the start.
    EXPECT_LT(now() - started, 10 + 10 + 5 + 5) << run.progress;
}

TEST(PrintSystemFaults, AJobAKilledRunLeftWithoutItsDocumentIsTakenAwayByTheNextRun)
{
    const PdfQueue queue("killed_transfer");
    {
        FaultProxy proxy({"Send-Document:1:hold-request:600"}); // the document never arrives
        runPravik({"--print", writeList("killed.lst", {row("pages.doc", "\"1\"", "1", queue.name())}), "--ini",
                   writeIni("killed.ini", ""), "--timeout", "100"},
                  [&](const std::string& line, pid_t pravik) {
                      for (int i = 0; i < 600 && proxy.loggedAt("Send-Document", 1, "request held") == 0; ++i)
                          std::this_thread::sleep_for(std::chrono::milliseconds(50));
                      if (line.starts_with("[1/1]"))
                          ::kill(pravik, SIGKILL);
                  },
                  false);
    }
    ASSERT_EQ(jobsHeldBy(queue.name()), 1);
    const PravikRun next = printOne("after_killed", row("pages.doc", "\"1\"", "1", "Default"), "60");
    EXPECT_EQ(next.status, 0) << next.progress;
    // Said before anything prints: a reprint of that row would not print it twice.
    EXPECT_LT(next.progress.find("前回中断された実行の「"), next.progress.find("[1/1]")) << next.progress;
    EXPECT_TRUE(contains(next.progress, "は印刷されていません")) << next.progress;
    EXPECT_EQ(jobsHeldBy(queue.name()), 0);
}

TEST(PrintSystemFaults, ASlowButSteadyTransferEndsAtTheDeadline)
{
    const PdfQueue queue("throttled");
    // Fast enough that the transfer never stands still for a second, too
    // slow for the deadline.
    FaultProxy proxy({"Send-Document:*:throttle:250000"});
    const PravikRun run = printOne("throttled", row("noise.doc", "", "1", queue.name()), "10");
    const double ended = now();
    ASSERT_EQ(run.results.size(), 1u) << run.progress;
    EXPECT_EQ(fields(run.results[0])[0], "failed") << run.results[0];
    const double started = proxy.loggedAt("Send-Document", 1, "request");
    ASSERT_GT(started, 0) << run.progress;
    EXPECT_LT(ended - started, 10 + 2) << run.results[0];
}

// Waits until the proxy logged that event of the n-th request of that operation.
bool awaitLogged(const FaultProxy& proxy, const std::string& operation, int number, const std::string& event)
{
    for (int i = 0; i < 1200 && proxy.loggedAt(operation, number, event) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return proxy.loggedAt(operation, number, event) != 0;
}

// The print system restarts (an upgrade) or crashes and starts again while
// the third row's document is on its way: its connection ends without an
// answer, and the row says what the print system really holds.
TEST(PrintSystemFaults, ARestartDuringADocumentNeverTurnsIntoPrinted)
{
    for (const int signal : {SIGTERM, SIGKILL}) {
        const std::string tag = signal == SIGTERM ? "term" : "kill";
        std::vector<std::unique_ptr<PdfQueue>> queues;
        std::vector<PrintEntry> rows;
        for (const char* page : {"1", "2", "3"}) {
            queues.push_back(std::make_unique<PdfQueue>("restart_" + tag + "_" + page));
            rows.push_back(row("pages.doc", std::string("\"") + page + "\"", "1", queues.back()->name()));
        }
        FaultProxy proxy({"Send-Document:3:hold-request:600"});
        std::thread restart([&] {
            if (!awaitLogged(proxy, "Send-Document", 3, "request held"))
                return;
            restartPrintSystem(signal);
            proxy.release();
        });
        const double started = now();
        const PravikRun run = runPravik({"--print", writeList("restart.lst", rows), "--ini", writeIni("restart.ini", ""),
                                         "--timeout", "15", "--engines", "1"});
        restart.join();
        ASSERT_EQ(run.results.size(), 3u) << run.progress;
        for (size_t i = 0; i < 3; ++i) {
            const bool printed = fields(run.results[i])[0] == "printed";
            EXPECT_EQ(queues[i]->printedMarkers(), printed ? Markers{"PAGE-MARK-" + std::to_string(i + 1)} : Markers{})
                << tag << ": " << run.results[i];
        }
        EXPECT_EQ(fields(run.results[2])[0], "failed") << tag << ": " << run.results[2];
        EXPECT_EQ(run.status, 1) << run.progress;
        EXPECT_EQ(jobsHeldBy(queues[2]->name()), 0) << tag;
        EXPECT_LT(now() - started, 3 * 15 + 15) << tag;
    }
}

// Two runs print a file of the same name to one queue: the first run's
// request goes unanswered, and its cleanup must leave the second run's job,
// which waits for its document, alone.
TEST(PrintSystemFaults, ARunsCleanupNeverTouchesAnotherRunsJob)
{
    const PdfQueue queue("two_runs");
    FaultProxy proxy({"Create-Job:1:hold-answer:600", "Send-Document:1:hold-request:600"});
    PravikRun other;
    std::thread second([&] {
        if (!awaitLogged(proxy, "Create-Job", 1, "answer held"))
            return;
        other = printOne("two_runs_other", row("pages.doc", "\"1\"", "1", queue.name()), "100");
    });
    const PravikRun first = printOne("two_runs_first", row("pages.doc", "\"1\"", "1", queue.name()), "30");
    // Only now does the second run's document go on.
    ASSERT_TRUE(awaitLogged(proxy, "Send-Document", 1, "request held"));
    proxy.release();
    second.join();
    ASSERT_EQ(first.results.size(), 1u) << first.progress;
    EXPECT_EQ(fields(first.results[0])[0], "failed") << first.results[0];
    EXPECT_TRUE(contains(first.results[0], "自動的に取り消されます")) << first.results[0];
    ASSERT_EQ(other.results.size(), 1u) << other.progress;
    EXPECT_EQ(fields(other.results[0])[0], "printed") << other.results[0];
    EXPECT_EQ(queue.printedMarkers(), Markers{"PAGE-MARK-1"});
    EXPECT_EQ(jobsHeldBy(queue.name()), 1) << first.progress; // the second run's, completed
}

// Something happens to the queue while a row's request is on its way: the
// row says it in the program's words.
TEST(PrintSystemFaults, AQueueChangedDuringAJobIsToldInTheUsersWords)
{
    struct Case {
        std::string queue, operation, command, status, says;
    };
    const std::vector<Case> cases = {
        {"removed_before_send", "Send-Document", "lpadmin -x", "failed", "が見つかりません"},
        {"removed_before_create", "Create-Job", "lpadmin -x", "failed", "が見つかりません"},
        {"stopped_before_create", "Create-Job", "cupsdisable", "printed", "停止中です（一時停止されています）"},
    };
    for (const Case& c : cases) {
        const PdfQueue queue(c.queue);
        FaultProxy proxy({c.operation + ":1:hold-request:600"});
        std::thread change([&] {
            if (!awaitLogged(proxy, c.operation, 1, "request held"))
                return;
            EXPECT_EQ(std::system((c.command + " " + queue.name()).c_str()), 0) << c.command;
            proxy.release();
        });
        const PravikRun run = printOne(c.queue, row("pages.doc", "\"1\"", "1", queue.name()), "60");
        change.join();
        ASSERT_EQ(run.results.size(), 1u) << run.progress;
        EXPECT_EQ(fields(run.results[0])[0], c.status) << run.results[0];
        EXPECT_TRUE(contains(run.results[0], c.says)) << run.results[0];
        EXPECT_FALSE(contains(run.results[0], "does not exist")) << run.results[0];
    }
}

// Runs the program with a terminal of its own (standard input, output and
// error), as when started from a shell, for at most `limit`: its output, and
// whether it ended by itself.
std::pair<std::string, bool> runOnTerminal(std::vector<std::string> args, std::chrono::seconds limit)
{
    args.insert(args.begin(), PRAVIK_BIN);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    int terminal = -1;
    const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    std::string output;
    char buffer[4096];
    ssize_t got = 1;
    for (const auto end = std::chrono::steady_clock::now() + limit; got > 0 && std::chrono::steady_clock::now() < end;) {
        pollfd fd{terminal, POLLIN, 0};
        if (::poll(&fd, 1, 100) > 0 && (got = ::read(terminal, buffer, sizeof buffer)) > 0)
            output.append(buffer, static_cast<size_t>(got));
    }
    ::kill(pid, SIGKILL); // gone already when it ended by itself
    ::waitpid(pid, nullptr, 0);
    ::close(terminal);
    return {output, got <= 0};
}

TEST(PrintSystemFaults, AQueueAskingForAPasswordFailsItsRowWithoutAskingTheTerminal)
{
    const PdfQueue queue("password");
    FaultProxy proxy({"Create-Job:*:password"});
    const auto started = std::chrono::steady_clock::now();
    const auto [output, ended] = runOnTerminal(
        {"--print", writeList("password.lst", {row("pages.doc", "\"1\"", "1", queue.name())}), "--ini",
         writeIni("password.ini", ""), "--timeout", "20"},
        std::chrono::seconds(60));
    ASSERT_TRUE(ended) << output;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    EXPECT_TRUE(contains(output, "failed\t1\t")) << output;
    EXPECT_TRUE(contains(output, "パスワードを求めています")) << output;
    EXPECT_FALSE(contains(output, "Password")) << output;
}

} // namespace
} // namespace pravik::test
