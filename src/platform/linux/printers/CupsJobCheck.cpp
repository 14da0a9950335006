#include "CupsJobCheck.h"

#include "CupsRequests.h"
#include "JobLedger.h"

#include <algorithm>
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

void cancelDocumentlessJobs(const std::string& uri, const std::string& title, std::time_t since,
                            Clock::time_point until)
{
    askUntil(until, [&](CupsConnection& connection) {
        ipp_t* request = jobRequest(IPP_OP_GET_JOBS, uri);
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
        for (const JobSeen& job : jobs)
            if (job.id > 0 && job.name == title && job.documents == 0 && job.created + kClockSlack >= since)
                cancel(connection, uri, job.id);
        return !connection.gaveUp();
    });
}

} // namespace

Received documentReceived(const std::string& uri, int jobId, std::chrono::seconds limit)
{
    CupsConnection check(limit, CupsConnection::Cut::Never);
    if (!check.http())
        return Received::Unknown;
    ipp_t* request = jobRequest(IPP_OP_GET_JOB_ATTRIBUTES, uri, jobId);
    addWanted(request, {"number-of-documents", "job-state"});
    const Answer answer = ask(check, request, "/");
    if (check.gaveUp() || !answer.ok() || answer.documents < 0)
        return Received::Unknown;
    return answer.documents > 0 ? Received::Yes : Received::No;
}

Settlement::Outcome settleJob(const std::string& uri, int jobId, Clock::time_point until)
{
    Settlement::Outcome outcome = Settlement::Outcome::Unknown;
    askUntil(until, [&](CupsConnection& connection) {
        const Answer cancelled = cancel(connection, uri, jobId);
        if (connection.gaveUp())
            return false;
        if (cancelled.ok()) {
            outcome = Settlement::Outcome::Failed;
            return true;
        }
        // Refused: the job has ended already, and its state says how.
        ipp_t* request = jobRequest(IPP_OP_GET_JOB_ATTRIBUTES, uri, jobId);
        addWanted(request, {"job-state"});
        const Answer state = ask(connection, request, "/");
        if (connection.gaveUp() || !state.ok())
            return false;
        if (state.state == IPP_JSTATE_COMPLETED)
            outcome = Settlement::Outcome::Printed;
        else if (state.state == IPP_JSTATE_CANCELED || state.state == IPP_JSTATE_ABORTED)
            outcome = Settlement::Outcome::Failed;
        return outcome != Settlement::Outcome::Unknown;
    });
    return outcome;
}

void cancelJobsLeftByEndedRuns()
{
    for (const RecordedJob& job : takeJobsOfEndedRuns())
        askUntil(Clock::now() + kQuestionLimit, [&](CupsConnection& connection) {
            ipp_t* request = jobRequest(IPP_OP_GET_JOB_ATTRIBUTES, job.uri, job.jobId);
            addWanted(request, {"number-of-documents", "job-state"});
            const Answer answer = ask(connection, request, "/");
            if (connection.gaveUp())
                return false;
            if (answer.ok() && answer.documents == 0 && answer.state < IPP_JSTATE_CANCELED)
                cancel(connection, job.uri, job.jobId);
            return !connection.gaveUp();
        });
}

void cancelDocumentlessJobsAtRunEnd(const std::string& uri, const std::string& title, std::time_t since)
{
    leaveLooseEnd([uri, title, since](Clock::time_point until) { cancelDocumentlessJobs(uri, title, since, until); });
}

} // namespace pravik::printers
