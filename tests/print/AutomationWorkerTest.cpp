#include "AutomationWorker.h"

#include "GatedBackend.h"
#include "JobNotes.h"
#include "PrintLanes.h"
#include "OfficeJobs.h"
#include "WorkerPrintJobs.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace pravik;
using namespace pravik::test;

namespace {

PrintEntry wordRow(const std::string& name)
{
    return {name, "", "", "doc", "1", "LP", "/docs/" + name};
}

class AutomationWorkerTest : public ::testing::Test {
protected:
    std::shared_ptr<GatedBackend> backend = std::make_shared<GatedBackend>();
    Settings settings;
    BlockingWait wait;
};

TEST_F(AutomationWorkerTest, EveryCallOfEveryJobRunsOnTheOneWorkerThread)
{
    std::thread::id workerThread;
    {
        AutomationWorker worker(backend);
        workerThread = worker.threadId();
        AutomationPrintJobs direct(backend, settings);
        WorkerPrintJobs jobs(direct, worker, wait, std::chrono::seconds(60));
        jobs.printWord(wordRow("a.doc"), PrintMode::Print);
        jobs.printWord(wordRow("b.doc"), PrintMode::Print);
    }
    EXPECT_EQ(backend->threads(), (std::set<std::thread::id>{workerThread}))
        << "the thread also entered and left the backend";
    EXPECT_NE(workerThread, std::this_thread::get_id());
    EXPECT_EQ(backend->recording->liveObjects(), 0);
}

TEST_F(AutomationWorkerTest, ErrorsOfTheWorkReachTheCaller)
{
    AutomationWorker worker(backend);
    EXPECT_THROW(worker.run([] { throw std::invalid_argument("bad"); }, wait, std::chrono::seconds(60)),
                 std::invalid_argument);
    int ran = 0;
    worker.run([&] { ++ran; }, wait, std::chrono::seconds(60));
    EXPECT_EQ(ran, 1);
}

TEST_F(AutomationWorkerTest, AStalledJobIsAbandonedAtTheDeadlineAndTheNextJobRuns)
{
    AutomationWorker worker(backend);
    AutomationPrintJobs direct(backend, settings);
    WorkerPrintJobs jobs(direct, worker, wait, std::chrono::seconds(1));

    backend->holdNextCreation();
    const auto start = WorkClock::now();
    try {
        jobs.printWord(wordRow("stalled.doc"), PrintMode::Print);
        FAIL() << "the stalled job returned";
    } catch (const DeadlineExceeded& error) {
        EXPECT_NE(std::string(error.what()).find("制限時間 (1 秒)"), std::string::npos) << error.what();
    }
    EXPECT_LT(WorkClock::now() - start, std::chrono::seconds(5));
    // Told again each second until it is back, which a loaded machine may take.
    const int abandons = backend->abandons();
    EXPECT_GE(abandons, 1);

    EXPECT_NO_THROW(jobs.printWord(wordRow("next.doc"), PrintMode::Print));
    EXPECT_EQ(backend->abandons(), abandons) << "the next job was abandoned too";
}

TEST_F(AutomationWorkerTest, ARowStalledAheadIsAbandonedOnItsOwnOfficeWhileAFreeOfficeTakesTheNext)
{
    auto second = std::make_shared<GatedBackend>();
    AutomationWorker worker(backend);
    AutomationPrintJobs direct(backend, settings);
    PrintLanes lanes(
        direct, worker, 2,
        [&](int) { return PrintLane{second, std::make_unique<AutomationPrintJobs>(second, settings)}; },
        wait, std::chrono::seconds(1));

    // a and b keep both offices busy, in whichever order the offices took
    // them; the second office's row then stalls.
    backend->holdNextCreation();
    second->holdNextCreation();
    for (const char* name : {"a.doc", "b.doc", "c.doc"})
        lanes.startAhead(wordRow(name), PrintMode::Print);
    for (int i = 0; i < 500 && !(backend->holding() && second->holding()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(backend->holding() && second->holding());
    backend->openGate();

    int stalled = 0;
    for (const char* name : {"a.doc", "b.doc"}) {
        try {
            lanes.printWord(wordRow(name), PrintMode::Print);
        } catch (const DeadlineExceeded&) {
            ++stalled;
        }
    }
    EXPECT_EQ(stalled, 1);
    EXPECT_NO_THROW(lanes.printWord(wordRow("c.doc"), PrintMode::Print));
    EXPECT_GE(second->abandons(), 1);
    EXPECT_EQ(backend->abandons(), 0);
    EXPECT_EQ(second->recording->objectsMade(), 0)
        << "c waited for the stalled office instead of taking the free one";
}

// Stalls in a call of `member` until the work is given up; with `accepting`,
// the print system has the job first.
class Stalls : public RecordingBackend {
public:
    Stalls(std::string member, bool accepting) : member_(std::move(member)), accepting_(accepting)
    {
        scriptOffice(*this);
    }

    Variant invoke(const ObjectRef& target, const Invocation& call) override
    {
        if (accepting_ && call.member == "PrintOut")
            jobnotes::reportAccepted();
        if (call.member == member_) {
            while (!currentWorkAbandoned())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            throw std::runtime_error("the server went away");
        }
        return RecordingBackend::invoke(target, call);
    }

private:
    std::string member_;
    bool accepting_;
};

TEST_F(AutomationWorkerTest, AJobAcceptedBeforeItsDeadlineCountsAsPrintedWithANote)
{
    auto stalling = std::make_shared<Stalls>("Close", true);
    AutomationWorker worker(stalling);
    AutomationPrintJobs direct(stalling, settings);
    WorkerPrintJobs jobs(direct, worker, wait, std::chrono::seconds(1));
    EXPECT_NO_THROW(jobs.printWord(wordRow("accepted.doc"), PrintMode::Print))
        << "printing it again would print it twice";
    EXPECT_EQ(jobs.takeNotes(), std::vector<std::string>{jobnotes::failedAfterAcceptance(
                                    DeadlineExceeded(std::chrono::seconds(1)).what())});
}

TEST_F(AutomationWorkerTest, AnOfficeStuckInItsStartFailsItsRemainingRowsAtOnce)
{
    backend->recording->nameServers();
    AutomationWorker worker(backend);
    AutomationPrintJobs direct(backend, settings);
    WorkerPrintJobs jobs(direct, worker, wait, std::chrono::seconds(1));

    backend->holdNextCreation();
    try {
        jobs.printWord(wordRow("a.doc"), PrintMode::Print);
        FAIL() << "the stuck start returned";
    } catch (const DeadlineExceeded& error) {
        EXPECT_NE(std::string(error.what()).find("Word が 1 秒たっても起動しなかった"), std::string::npos)
            << error.what();
    }
    // Every new Word would wait the same: the next row fails without one.
    try {
        jobs.printWord(wordRow("b.doc"), PrintMode::Print);
        FAIL() << "a second Word was started";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find("Word を一度手動で起動し"), std::string::npos) << error.what();
    }
    EXPECT_EQ(backend->recording->objectsMade(), 0);
}

TEST_F(AutomationWorkerTest, AStartThatBeginsAfterTheWaitBeganIsEndedAtTheStartLimitNotTheDeadline)
{
    backend->recording->nameServers();
    AutomationWorker worker(backend);
    backend->holdNextCreation();
    const auto start = WorkClock::now();
    try {
        worker.run(
            [&] {
                nameWorkServer("Word");
                // The waiting side is asleep by now, toward the deadline.
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                const ServerStart starting(std::chrono::seconds(1));
                backend->createObject("Word.Application");
            },
            wait, std::chrono::seconds(30));
        FAIL() << "the stuck start returned";
    } catch (const DeadlineExceeded& error) {
        EXPECT_NE(std::string(error.what()).find("Word が 1 秒たっても起動しなかった"), std::string::npos)
            << error.what();
    }
    EXPECT_LT(WorkClock::now() - start, std::chrono::seconds(5));
}

TEST_F(AutomationWorkerTest, APrintPastItsDeadlineWhoseJobThePrintSystemHoldsIsLeftToSettleNotFailed)
{
    // The print system received the job of the print the work is stuck in.
    struct JobReceived : GatedBackend {
        std::optional<JobPastDeadline> jobPastDeadline(std::chrono::seconds) override
        {
            return JobPastDeadline{"sent", [](OutcomeUnknown::Clock::time_point) {
                                       return Settlement{Settlement::Outcome::Printed, "printed late"};
                                   }};
        }
    };
    auto received = std::make_shared<JobReceived>();
    AutomationWorker worker(received);
    received->holdNextCreation();
    try {
        worker.run([&] { received->createObject("Word.Application"); }, wait, std::chrono::seconds(1));
        FAIL() << "the stuck print returned";
    } catch (const OutcomeUnknown& unknown) {
        EXPECT_STREQ(unknown.what(), "sent");
        unknown.settle(OutcomeUnknown::Clock::now());
        EXPECT_EQ(unknown.settled().outcome, Settlement::Outcome::Printed);
    }
}

TEST_F(AutomationWorkerTest, TwoRowsOfAnApplicationInARowPastTheDeadlineFailTheRestOfIt)
{
    auto stalling = std::make_shared<Stalls>("PrintOut", false);
    stalling->nameServers();
    AutomationWorker worker(stalling);
    AutomationPrintJobs direct(stalling, settings);
    WorkerPrintJobs jobs(direct, worker, wait, std::chrono::seconds(1));
    for (const char* name : {"a.doc", "b.doc"})
        EXPECT_THROW(jobs.printWord(wordRow(name), PrintMode::Print), DeadlineExceeded);
    const auto start = WorkClock::now();
    EXPECT_THROW(jobs.printWord(wordRow("c.doc"), PrintMode::Print), Error);
    EXPECT_LT(WorkClock::now() - start, std::chrono::milliseconds(500));
}

TEST_F(AutomationWorkerTest, TimeSpentWaitingOnTheUserDoesNotCount)
{
    AutomationWorker worker(backend);
    EXPECT_NO_THROW(worker.run(
        [] {
            const UserWait reading;
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        },
        wait, std::chrono::seconds(1)));
    EXPECT_EQ(backend->abandons(), 0);
}

TEST(OfficeDeadline, ANonPositiveSettingMeansTheDefault)
{
    EXPECT_EQ(officeDeadline(45), std::chrono::seconds(45));
    EXPECT_EQ(officeDeadline(0), kDefaultOfficeDeadline);
    EXPECT_EQ(officeDeadline(-3), kDefaultOfficeDeadline);
}

} // namespace
