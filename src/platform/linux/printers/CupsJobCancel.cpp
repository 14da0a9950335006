#include "CupsJobCancel.h"

#include "CupsRequests.h"

#include <algorithm>
#include <optional>
#include <thread>

namespace pravik::printers {

namespace {

using Clock = OutcomeUnknown::Clock;

constexpr std::chrono::seconds kQuestionLimit{3};
constexpr auto kAskAgainAfter = std::chrono::milliseconds(500);

struct JobProgress {
    int state = 0;
    std::optional<int> pagesDone; // job-impressions-completed, when the printer counts them
};

std::optional<JobProgress> progressOf(CupsConnection& connection, const std::string& uri, int jobId)
{
    ipp_t* request = jobRequest(IPP_OP_GET_JOB_ATTRIBUTES, uri, jobId);
    const char* wanted[] = {"job-state", "job-impressions-completed"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, wanted);
    connection.restartClock();
    ipp_t* response = cupsDoRequest(connection.http(), request, "/");
    std::optional<JobProgress> progress;
    if (response && !connection.gaveUp() && ippGetStatusCode(response) <= IPP_STATUS_OK_CONFLICTING) {
        progress.emplace();
        if (ipp_attribute_t* state = ippFindAttribute(response, "job-state", IPP_TAG_ENUM))
            progress->state = ippGetInteger(state, 0);
        if (ipp_attribute_t* done = ippFindAttribute(response, "job-impressions-completed", IPP_TAG_INTEGER))
            progress->pagesDone = ippGetInteger(done, 0);
    }
    ippDelete(response);
    return progress;
}

// How far the job had got when it was cancelled, as far as the print system
// knows: a job still waiting had printed nothing, one in the printer as many
// pages as it counted (many printers count none).
std::string howFar(const JobProgress& before)
{
    if (before.state == IPP_JSTATE_PENDING || before.state == IPP_JSTATE_HELD)
        return "（まだ印刷は始まっていませんでした）";
    if (before.pagesDone && *before.pagesDone > 0)
        return "（取り消すまでに " + std::to_string(*before.pagesDone) + " ページ印刷されていました）";
    return "（どこまで印刷されたかはわかりません。プリンターの用紙を確かめてください）";
}

} // namespace

Settlement cancelHandedOverJob(const Queue& queue, int jobId, Clock::time_point until)
{
    const std::string uri = printerUri(queue.name, queue.uri);
    const std::string id = "印刷ジョブ (ID " + std::to_string(jobId) + ")";
    while (Clock::now() < until) {
        const auto left = std::chrono::ceil<std::chrono::seconds>(until - Clock::now());
        CupsConnection connection(std::clamp(left, std::chrono::seconds(1), kQuestionLimit),
                                  CupsConnection::Cut::Never);
        if (connection.http()) {
            const std::optional<JobProgress> before = progressOf(connection, uri, jobId);
            if (before && before->state == IPP_JSTATE_COMPLETED)
                return {Settlement::Outcome::Printed, "取り消す前に " + id + " の印刷は終わっていました"};
            if (before && (before->state == IPP_JSTATE_CANCELED || before->state == IPP_JSTATE_ABORTED))
                return {Settlement::Outcome::Failed, id + " はすでに取り消されていました"};
            if (before) {
                // Not purged: the queue's history shows the job as cancelled.
                const Answer cancelled = ask(connection, jobRequest(IPP_OP_CANCEL_JOB, uri, jobId), "/jobs/");
                if (cancelled.ok() && !connection.gaveUp())
                    return {Settlement::Outcome::Failed, "中止したため " + id + " を取り消しました" + howFar(*before)};
                // Refused: it ended meanwhile; the next look says how.
            }
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(kAskAgainAfter, std::max<Clock::duration>(until - Clock::now(), {})));
    }
    return {Settlement::Outcome::Unknown, id + " を取り消せたかどうか確認できません。プリンター " + queue.shownName()
                                              + " の待ち行列を確かめてください"};
}

} // namespace pravik::printers
