#include "CupsJobCheck.h"

#include "CupsRequests.h"
#include "JobLedger.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>
#include <vector>

namespace pravik::printers {

namespace {

using Clock = OutcomeUnknown::Clock;

// Asking again is worth it while the print system may only be slow; each
// question gets at most this long.
constexpr std::chrono::seconds kQuestionLimit{3};
constexpr auto kAskAgainAfter = std::chrono::milliseconds(500);
// The server's clock may differ from ours by a little.
constexpr std::time_t kClockSlack = 5;
// The print system aborts a job that got no document long before this.
constexpr std::time_t kRecordLife = 30 * 60;

// Asks `question` on a fresh connection until it returns true or `until`
// has come; each connection gives up at the latest then.
template <typename Question>
bool askUntil(Clock::time_point until, Question question)
{
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::seconds>(until - Clock::now());
        if (left <= std::chrono::seconds(0))
            return false;
        CupsConnection connection(std::clamp(left, std::chrono::seconds(1), kQuestionLimit),
                                  CupsConnection::Cut::Never);
        if (connection.http() && question(connection))
            return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(kAskAgainAfter, until - Clock::now()));
    }
}

void addWanted(ipp_t* request, const std::vector<const char*>& wanted)
{
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(wanted.size()), nullptr, wanted.data());
}

// Cancels the job; once that took, takes it out of the queue's history too,
// so that nothing there suggests it printed. A job that has ended already
// is never touched: its record is the truth of how it ended.
Answer cancel(CupsConnection& connection, const std::string& uri, int jobId)
{
    const Answer cancelled = ask(connection, jobRequest(IPP_OP_CANCEL_JOB, uri, jobId), "/jobs/");
    if (cancelled.ok() && !connection.gaveUp()) {
        ipp_t* purge = jobRequest(IPP_OP_CANCEL_JOB, uri, jobId);
        ippAddBoolean(purge, IPP_TAG_OPERATION, "purge-job", 1);
        ask(connection, purge, "/jobs/");
    }
    return cancelled;
}

struct JobSeen {
    int id = 0;
    std::string name;
    int documents = -1;
    std::time_t created = 0;
};

std::vector<JobSeen> jobsIn(ipp_t* response)
{
    std::vector<JobSeen> jobs;
    bool nextJob = true; // each job is a group of its own
    for (ipp_attribute_t* attribute = ippFirstAttribute(response); attribute;
         attribute = ippNextAttribute(response)) {
        if (ippGetGroupTag(attribute) != IPP_TAG_JOB) {
            nextJob = true;
            continue;
        }
        if (nextJob)
            jobs.emplace_back();
        nextJob = false;
        if (!ippGetName(attribute))
            continue;
        const std::string name = ippGetName(attribute);
        JobSeen& job = jobs.back();
        if (name == "job-id")
            job.id = ippGetInteger(attribute, 0);
        else if (name == "job-name")
            job.name = ippGetString(attribute, 0, nullptr) ? ippGetString(attribute, 0, nullptr) : "";
        else if (name == "number-of-documents")
            job.documents = ippGetInteger(attribute, 0);
        else if (name == "time-at-creation")
            job.created = ippGetInteger(attribute, 0);
    }
    return jobs;
}

// What the print system says of the job now; nullopt when it did not say.
std::optional<Answer> jobNow(CupsConnection& connection, const std::string& uri, int jobId)
{
    ipp_t* request = jobRequest(IPP_OP_GET_JOB_ATTRIBUTES, uri, jobId);
    addWanted(request, {"number-of-documents", "job-state"});
    const Answer answer = ask(connection, request, "/");
    if (connection.gaveUp() || !answer.answered)
        return std::nullopt;
    return answer;
}

bool gone(const Answer& answer) { return answer.status == IPP_STATUS_ERROR_NOT_FOUND; }

// Cancels a job that may have been made for one of this run's unanswered
// requests, when it still has no document. True once it is cancelled.
bool cancelIfEmpty(CupsConnection& connection, const std::string& uri, int jobId)
{
    // Read again right before the cancel: a document that arrived since the
    // listing makes it a job that prints.
    const std::optional<Answer> now = jobNow(connection, uri, jobId);
    if (!now || !now->ok() || now->documents != 0 || now->state >= IPP_JSTATE_CANCELED)
        return false;
    return cancel(connection, uri, jobId).ok();
}

bool sameRequest(const RecordedCreate& a, const RecordedCreate& b) { return a.uri == b.uri && a.title == b.title; }

} // namespace

Received documentReceived(const std::string& uri, int jobId, Clock::time_point until)
{
    Received received = Received::Unknown;
    askUntil(until, [&](CupsConnection& connection) {
        const std::optional<Answer> now = jobNow(connection, uri, jobId);
        if (!now)
            return false;
        if (gone(*now))
            received = Received::Gone;
        else if (now->ok() && now->documents >= 0)
            received = now->documents > 0 ? Received::Yes : Received::No;
        return received != Received::Unknown;
    });
    return received;
}

Settlement::Outcome settleJob(const std::string& uri, int jobId, Clock::time_point until)
{
    Settlement::Outcome outcome = Settlement::Outcome::Unknown;
    askUntil(until, [&](CupsConnection& connection) {
        const Answer cancelled = cancel(connection, uri, jobId);
        if (connection.gaveUp() || !cancelled.answered)
            return false;
        if (cancelled.ok() || gone(cancelled)) {
            outcome = Settlement::Outcome::Failed;
            return true;
        }
        // Refused: the job has ended already, and its state says how.
        const std::optional<Answer> state = jobNow(connection, uri, jobId);
        if (!state || !state->ok())
            return false;
        if (state->state == IPP_JSTATE_COMPLETED)
            outcome = Settlement::Outcome::Printed;
        else if (state->state == IPP_JSTATE_CANCELED || state->state == IPP_JSTATE_ABORTED)
            outcome = Settlement::Outcome::Failed;
        return outcome != Settlement::Outcome::Unknown;
    });
    return outcome;
}

void cancelUnansweredCreates(Clock::time_point until)
{
    std::vector<RecordedCreate> creates;
    for (const RecordedCreate& create : unansweredCreates()) {
        // By then the print system has aborted a job that got no document.
        if (std::time(nullptr) - create.asked > kRecordLife)
            forgetCreate(create.key);
        else
            creates.push_back(create);
    }
    if (creates.empty())
        return;
    const OtherRuns others = recordsOfOtherRuns();
    std::vector<int> taken = others.jobIds;
    askUntil(until, [&](CupsConnection& connection) {
        for (auto create = creates.begin(); create != creates.end();) {
            const bool shared = std::any_of(others.creates.begin(), others.creates.end(),
                                            [&](const RecordedCreate& other) { return sameRequest(other, *create); });
            if (shared) {
                // Either run may own the job: the one that outlives the other finds it.
                ++create;
                continue;
            }
            ipp_t* request = jobRequest(IPP_OP_GET_JOBS, create->uri);
            ippAddBoolean(request, IPP_TAG_OPERATION, "my-jobs", 1);
            ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "not-completed");
            addWanted(request, {"job-id", "job-name", "number-of-documents", "time-at-creation"});
            connection.restartClock();
            ipp_t* response = cupsDoRequest(connection.http(), request, "/");
            if (connection.gaveUp() || !response) {
                ippDelete(response);
                return false;
            }
            const std::vector<JobSeen> jobs = jobsIn(response);
            ippDelete(response);
            bool found = false;
            for (const JobSeen& job : jobs) {
                if (job.id <= 0 || job.name != create->title || job.documents != 0
                    || job.created + kClockSlack < create->asked
                    || std::find(taken.begin(), taken.end(), job.id) != taken.end())
                    continue;
                taken.push_back(job.id);
                found = cancelIfEmpty(connection, create->uri, job.id);
                if (found || connection.gaveUp())
                    break;
            }
            if (connection.gaveUp())
                return false;
            if (found) {
                forgetCreate(create->key);
                create = creates.erase(create);
            } else {
                // Not made yet (the print system may read the request later):
                // it stays on record for the next run.
                ++create;
            }
        }
        return true;
    });
}

void cancelUnansweredCreatesAtRunEnd()
{
    static std::atomic<bool> left{false};
    if (left.exchange(true))
        return; // one look covers them all
    leaveLooseEnd([](Clock::time_point until) {
        left = false;
        cancelUnansweredCreates(until);
        // Not made yet: a program that goes on (the window) looks again at
        // its next run's end; one that ends leaves them on record.
        if (!unansweredCreates().empty())
            cancelUnansweredCreatesAtRunEnd();
    });
}

std::vector<std::string> cancelJobsLeftByEndedRuns()
{
    std::vector<std::string> told;
    for (const RecordedJob& job : takeJobsOfEndedRuns()) {
        std::string what = "が印刷されたかどうか確認できません";
        askUntil(Clock::now() + kQuestionLimit, [&](CupsConnection& connection) {
            const std::optional<Answer> now = jobNow(connection, job.uri, job.jobId);
            if (!now)
                return false;
            if (now->ok() && now->documents > 0) {
                what = "は印刷システムに届いていました";
                return true;
            }
            if (gone(*now) || (now->ok() && now->state >= IPP_JSTATE_CANCELED)) {
                what = "は印刷されていません";
                return true;
            }
            if (!now->ok())
                return false;
            if (cancel(connection, job.uri, job.jobId).ok())
                what = "は印刷されていません（文書のない印刷ジョブを取り消しました）";
            return !connection.gaveUp();
        });
        told.push_back("前回中断された実行の「" + (job.title.empty() ? std::string("文書") : job.title) + "」(ジョブ ID "
                       + std::to_string(job.jobId) + ") " + what);
    }
    cancelUnansweredCreates(Clock::now() + kQuestionLimit);
    return told;
}

} // namespace pravik::printers
