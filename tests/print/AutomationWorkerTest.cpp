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
        jobs.printWord(wordRow("a.doc"), PrintMode::Print, "LP");
        jobs.printWord(wordRow("b.doc"), PrintMode::Print, "LP");
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
        jobs.printWord(wordRow("stalled.doc"), PrintMode::Print, "LP");
        FAIL() << "the stalled job returned";
    } catch (const DeadlineExceeded& error) {
        EXPECT_NE(std::string(error.what()).find("制限時間 (1 秒)"), std::string::npos) << error.what();
    }
    EXPECT_LT(WorkClock::now() - start, std::chrono::seconds(5));
    // Told again each second until it is back, which a loaded machine may take.
    const int abandons = backend->abandons();
    EXPECT_GE(abandons, 1);

    EXPECT_NO_THROW(jobs.printWord(wordRow("next.doc"), PrintMode::Print, "LP"));
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
        lanes.startAhead(wordRow(name), PrintMode::Print, "LP");
    for (int i = 0; i < 500 && !(backend->holding() && second->holding()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(backend->holding() && second->holding());
    backend->openGate();

    int stalled = 0;
    for (const char* name : {"a.doc", "b.doc"}) {
        try {
            lanes.printWord(wordRow(name), PrintMode::Print, "LP");
        } catch (const DeadlineExceeded&) {
            ++stalled;
        }
    }
    EXPECT_EQ(stalled, 1);
    EXPECT_NO_THROW(lanes.printWord(wordRow("c.doc"), PrintMode::Print, "LP"));
    EXPECT_GE(second->abandons(), 1);
    EXPECT_EQ(backend->abandons(), 0);
    EXPECT_EQ(second->recording->objectsMade(), 0)
        << "c waited for the stalled office instead of taking the free one";
}

// The print system has the job; then Close stalls until the work is given up.
class StallsAfterAcceptance : public RecordingBackend {
public:
    Variant invoke(const ObjectRef& target, const Invocation& call) override
    {
        if (call.member == "PrintOut")
            jobnotes::reportAccepted();
        if (call.member == "Close") {
            while (!currentWorkAbandoned())
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            throw std::runtime_error("the server went away");
        }
        return RecordingBackend::invoke(target, call);
    }
};

TEST_F(AutomationWorkerTest, AJobAcceptedBeforeItsDeadlineCountsAsPrintedWithANote)
{
    auto stalling = std::make_shared<StallsAfterAcceptance>();
    AutomationWorker worker(stalling);
    AutomationPrintJobs direct(stalling, settings);
    WorkerPrintJobs jobs(direct, worker, wait, std::chrono::seconds(1));
    EXPECT_NO_THROW(jobs.printWord(wordRow("accepted.doc"), PrintMode::Print, "LP"))
        << "printing it again would print it twice";
    EXPECT_EQ(jobs.takeNotes(), std::vector<std::string>{jobnotes::failedAfterAcceptance(
                                    DeadlineExceeded(std::chrono::seconds(1)).what())});
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
