#include "CupsConnection.h"
#include "CupsJobCheck.h"
#include "CupsPassword.h"
#include "CupsQueueState.h"
#include "CupsQueues.h"
#include "CupsRequests.h"
#include "Error.h"
#include "JobLedger.h"
#include "JobNotes.h"

#include <cups/cups.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>

namespace pravik::printers {

namespace {

// How long the print system is given to say what it received after a call
// was cut short (it may be stalled still, or restarting), at most: never
// longer than the row's own deadline, so that a row takes twice that at worst.
constexpr std::chrono::seconds kCheckLimit{30};
// How long a job whose document did not arrive is cancelled for at once;
// the run's end tries again.
constexpr std::chrono::seconds kCancelLimit{5};
// The document goes in pieces this large, and every limit is looked at
// between two: a transfer that keeps moving, however slowly, is never silent.
constexpr size_t kPiece = 32 * 1024;

// The print system's reason for refusing a job, in the user's words where
// the status tells it; its own (English) words otherwise.
std::string refusalReason(const Answer& answer)
{
    switch (answer.status) {
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
        return "このプリンターはジョブの受け付けを停止しています";
    case IPP_STATUS_ERROR_DOCUMENT_FORMAT_NOT_SUPPORTED:
        return "このプリンターは文書の形式 (PDF) を扱えません";
    default:
        return "印刷システムの返答: " + answer.text;
    }
}

[[noreturn]] void refused(const Queue& queue, const Answer& answer)
{
    if (answer.passwordRefused || answer.status == IPP_STATUS_ERROR_NOT_AUTHORIZED
        || answer.status == IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED)
        throw Error(passwordNeededText(queue.shownName()));
    if (answer.status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || answer.status == IPP_STATUS_ERROR_INTERNAL)
        throw Error(unreachableText(answer.text));
    // The queue was removed (its jobs with it) after the job's printers were read.
    if (answer.status == IPP_STATUS_ERROR_NOT_FOUND)
        throw Error("プリンター " + queue.shownName() + " が見つかりません（印刷中に削除されました）");
    throw Error("プリンター " + queue.shownName() + " が印刷ジョブを受け付けませんでした。" + refusalReason(answer));
}

OutcomeUnknown::Clock::time_point after(std::chrono::seconds limit)
{
    return OutcomeUnknown::Clock::now() + limit;
}

// Why a request got no answer when no limit cut it: the connection ended
// (the print system restarted or stopped, or the network failed).
constexpr const char* kConnectionLostText = "印刷システム (CUPS) との接続が応答の前に切れました";

std::string jobText(int jobId)
{
    return "印刷ジョブ (ID " + std::to_string(jobId) + ")";
}

// The rendered document, opened before its job is made: a job whose
// document cannot be read would wait in the queue for nothing.
struct Document {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in{nullptr, &std::fclose};
    size_t size = 0;
};

Document openDocument(const std::string& file)
{
    Document document;
    document.in.reset(std::fopen(file.c_str(), "rb"));
    std::error_code ec;
    document.size = static_cast<size_t>(std::filesystem::file_size(file, ec));
    if (!document.in || ec)
        throw Error("印刷する文書の一時ファイルを読めません: " + std::string(std::strerror(errno)));
    return document;
}

// Sends the request (freed here) with the document, piece by piece. Cut
// short, it leaves the connection's gaveUp() set.
Answer sendDocument(CupsConnection& connection, ipp_t* request, const std::string& resource,
                    const Document& document)
{
    connection.restartClock();
    takePasswordRefused();
    http_t* http = connection.http();
    // The length is that of the whole body: the request and the document.
    http_status_t status =
        cupsSendRequest(http, request, resource.c_str(), ippLength(request) + document.size);
    ippDelete(request);
    char piece[kPiece];
    while (status == HTTP_STATUS_CONTINUE) {
        const size_t read = std::fread(piece, 1, sizeof piece, document.in.get());
        if (read == 0)
            break;
        if (connection.pastLimit())
            return {};
        status = cupsWriteRequestData(http, piece, read);
    }
    if (connection.gaveUp())
        return {};
    if (status != HTTP_STATUS_CONTINUE) {
        // The connection ended or the request was turned away on the way:
        // nothing says whether the document arrived.
        httpFlush(http);
        return answerOf(nullptr);
    }
    return answerOf(cupsGetResponse(http, resource.c_str()));
}

// A job that will never get its document is taken away; when the print
// system does not say it is, the run's end tries again.
void withdraw(const std::string& uri, int jobId)
{
    if (settleJob(uri, jobId, after(kCancelLimit)) == Settlement::Outcome::Unknown)
        leaveLooseEnd([uri, jobId](OutcomeUnknown::Clock::time_point until) { settleJob(uri, jobId, until); });
}

// The document's transfer was cut short, or its answer never came: the job
// printed if the print system has its document, and did not if it has not
// and the job was cancelled (a document held on the way could still arrive),
// or if the print system no longer knows the job. Else nobody knows yet.
int afterCutTransfer(const SubmitRequest& request, const std::string& uri, int jobId, const std::string& stalled,
                     std::chrono::seconds checkLimit)
{
    const auto until = after(std::min(checkLimit, kCheckLimit));
    const std::string id = jobText(jobId);
    const std::string lateButPrinted = stalled + "が、" + id + " は受け付けられていました";
    const std::string lost = stalled + "。" + id + " は印刷システムに残っていないため、印刷されません";
    switch (documentReceived(uri, jobId, until)) {
    case Received::Yes:
        jobnotes::report(lateButPrinted);
        return jobId;
    case Received::Gone:
        throw Error(lost);
    case Received::No:
        switch (settleJob(uri, jobId, until)) {
        case Settlement::Outcome::Failed:
            throw Error(stalled + "。" + id + " は受け付けられていません");
        case Settlement::Outcome::Printed:
            jobnotes::report(lateButPrinted);
            return jobId;
        case Settlement::Outcome::Unknown:
            break;
        }
        break;
    case Received::Unknown:
        break;
    }
    throw OutcomeUnknown(
        stalled + "。" + id + " が受け付けられたかどうか確認できません。もう一度印刷する前に、プリンター "
            + request.queue.shownName() + " の待ち行列を確認してください",
        [uri, jobId, stalled, lateButPrinted, id](OutcomeUnknown::Clock::time_point until) -> Settlement {
            switch (settleJob(uri, jobId, until)) {
            case Settlement::Outcome::Failed:
                return {Settlement::Outcome::Failed, stalled + "。" + id + " は取り消したため印刷されません"};
            case Settlement::Outcome::Printed:
                return {Settlement::Outcome::Printed, lateButPrinted};
            case Settlement::Outcome::Unknown:
                break;
            }
            return {};
        });
}

// Sends the job request (freed here). It is on record before it goes: a
// request whose answer never comes may still make a job, which this run or
// the next one must find and take away; once answered, it is off record.
Answer createJob(CupsConnection& connection, ipp_t* create, const std::string& resource, const std::string& uri,
                 const std::string& title)
{
    CreateOnRecord record(uri, title, std::time(nullptr));
    const Answer created = ask(connection, create, resource);
    if (connection.gaveUp() || (!created.answered && !created.passwordRefused)) {
        record.keep();
        cancelUnansweredCreatesAtRunEnd();
        const std::string why = connection.gaveUp() ? connection.cutText() : kConnectionLostText;
        throw Error(why + "。印刷ジョブは受け付けられていません（文書のない印刷ジョブが待ち行列に現れることがありますが、自動的に取り消されます）");
    }
    return created;
}

} // namespace

int submitPrintFile(const SubmitRequest& request)
{
    const Queue& queue = request.queue;
    const Document document = openDocument(request.file);
    CupsConnection connection(kSubmitLimit, CupsConnection::Cut::OnAbandonment);
    if (!connection.http())
        throw Error(unreachableText(connection.failure()));

    cups_option_t* options = nullptr;
    int count = 0;
    for (const auto& [name, value] : queue.options)
        count = cupsAddOption(name.c_str(), value.c_str(), count, &options);
    count = cupsAddOption("copies", std::to_string(request.copies).c_str(), count, &options);
    count = cupsAddOption("collate", request.collate ? "true" : "false", count, &options);

    // The job is made first and its document sent after, so that a call the
    // print system does not answer leaves a job whose id is known, and what
    // it received can be asked. A job made without its document never prints.
    const std::string uri = printerUri(queue.name, queue.uri);
    const std::string resource = "/printers/" + queue.name;
    ipp_t* create = jobRequest(IPP_OP_CREATE_JOB, uri);
    ippAddString(create, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, request.title.c_str());
    cupsEncodeOptions2(create, count, options, IPP_TAG_OPERATION);
    cupsEncodeOptions2(create, count, options, IPP_TAG_JOB);
    cupsFreeOptions(count, options);
    const Answer created = createJob(connection, create, resource, uri, request.title);
    if (!created.ok() || created.jobId <= 0)
        refused(queue, created);
    const JobOnRecord record(uri, created.jobId, request.title);

    ipp_t* send = jobRequest(IPP_OP_SEND_DOCUMENT, uri, created.jobId);
    ippAddBoolean(send, IPP_TAG_OPERATION, "last-document", 1);
    const Answer sent = sendDocument(connection, send, resource, document);
    if (connection.gaveUp())
        return afterCutTransfer(request, uri, created.jobId, connection.cutText(),
                                connection.abandonedAt().value_or(kCheckLimit));
    if (!sent.answered && !sent.passwordRefused)
        return afterCutTransfer(request, uri, created.jobId, kConnectionLostText, kCheckLimit);
    if (!sent.ok()) {
        withdraw(uri, created.jobId);
        refused(queue, sent);
    }
    noteStoppedQueue(connection, uri, queue);
    return created.jobId;
}

} // namespace pravik::printers
