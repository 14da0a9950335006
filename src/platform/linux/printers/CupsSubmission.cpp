#include "CupsConnection.h"
#include "CupsQueues.h"
#include "Error.h"
#include "JobNotes.h"

#include <cups/cups.h>

namespace pravik::printers {

namespace {

// How long the print system is given to say what it received after a call
// was cut short: it may be stalled still.
constexpr std::chrono::seconds kCheckLimit{30};

std::string printerUri(const Queue& queue)
{
    if (!queue.uri.empty())
        return queue.uri;
    char local[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, local, sizeof local, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", queue.name.c_str());
    return local;
}

ipp_t* jobRequest(ipp_op_t operation, const std::string& uri, int jobId = 0)
{
    ipp_t* request = ippNewRequest(operation);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
    if (jobId > 0)
        ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    return request;
}

struct Answer {
    ipp_status_t status = IPP_STATUS_OK;
    std::string text;
    int jobId = 0;
    int documents = -1; // "number-of-documents" when asked for

    bool ok() const { return status <= IPP_STATUS_OK_CONFLICTING; }
};

// Sends the request (freed here) and reads what came back.
Answer ask(CupsConnection& connection, ipp_t* request, const std::string& resource,
           const char* file = nullptr)
{
    connection.restartClock();
    ipp_t* response = file ? cupsDoFileRequest(connection.http(), request, resource.c_str(), file)
                           : cupsDoRequest(connection.http(), request, resource.c_str());
    Answer answer{cupsLastError(), cupsLastErrorString()};
    if (response) {
        if (ipp_attribute_t* id = ippFindAttribute(response, "job-id", IPP_TAG_INTEGER))
            answer.jobId = ippGetInteger(id, 0);
        if (ipp_attribute_t* count = ippFindAttribute(response, "number-of-documents", IPP_TAG_INTEGER))
            answer.documents = ippGetInteger(count, 0);
    }
    ippDelete(response);
    return answer;
}

[[noreturn]] void refused(const Queue& queue, const Answer& answer)
{
    if (answer.status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || answer.status == IPP_STATUS_ERROR_INTERNAL)
        throw Error(unreachableText(answer.text));
    throw Error("プリンタ " + queue.shownName() + " が印刷ジョブを受け付けませんでした: " + answer.text);
}

enum class Received { Yes, No, Unknown };

// Whether the job holds its document, asked on a connection of its own that
// no deadline cuts short.
Received documentReceived(const std::string& uri, int jobId)
{
    CupsConnection check(kCheckLimit, CupsConnection::Cut::Never);
    if (!check.http())
        return Received::Unknown;
    ipp_t* request = jobRequest(IPP_OP_GET_JOB_ATTRIBUTES, uri, jobId);
    static const char* const wanted[] = {"number-of-documents", "job-state"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, wanted);
    const Answer answer = ask(check, request, "/");
    if (!answer.ok() || answer.documents < 0)
        return Received::Unknown;
    return answer.documents > 0 ? Received::Yes : Received::No;
}

// A job without its document never prints; it is taken away all the same.
void cancelJob(const std::string& uri, int jobId)
{
    CupsConnection cancel(kCheckLimit, CupsConnection::Cut::Never);
    if (cancel.http())
        ask(cancel, jobRequest(IPP_OP_CANCEL_JOB, uri, jobId), "/jobs/");
}

std::chrono::seconds limitPassed(const CupsConnection& connection)
{
    return connection.abandonedAt().value_or(kSubmitLimit);
}

// The document's transfer was cut short: the job printed if the print system
// has its document, and did not if it has not.
int afterCutTransfer(const SubmitRequest& request, const std::string& uri, int jobId,
                     std::chrono::seconds limit)
{
    const std::string id = "印刷ジョブ (ID " + std::to_string(jobId) + ")";
    switch (documentReceived(uri, jobId)) {
    case Received::Yes:
        jobnotes::report("印刷システム (CUPS) の応答が制限時間 (" + std::to_string(limit.count())
                         + " 秒) を過ぎましたが、" + id + " は受け付けられていました");
        return jobId;
    case Received::No:
        cancelJob(uri, jobId);
        throw Error(stalledText(limit) + "。" + id + " は受け付けられていません");
    case Received::Unknown:
        break;
    }
    throw Error(stalledText(limit) + "。" + id + " が受け付けられたかどうか確認できません。もう一度印刷する前に、プリンタ "
                + request.queue.shownName() + " の待ち行列を確認してください");
}

} // namespace

int submitPrintFile(const SubmitRequest& request)
{
    const Queue& queue = request.queue;
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
    const std::string uri = printerUri(queue);
    const std::string resource = "/printers/" + queue.name;
    ipp_t* create = jobRequest(IPP_OP_CREATE_JOB, uri);
    ippAddString(create, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, request.title.c_str());
    cupsEncodeOptions2(create, count, options, IPP_TAG_OPERATION);
    cupsEncodeOptions2(create, count, options, IPP_TAG_JOB);
    cupsFreeOptions(count, options);
    const Answer created = ask(connection, create, resource);
    if (connection.gaveUp())
        throw Error(stalledText(limitPassed(connection)) + "。印刷ジョブは受け付けられていません");
    if (!created.ok() || created.jobId <= 0)
        refused(queue, created);

    ipp_t* send = jobRequest(IPP_OP_SEND_DOCUMENT, uri, created.jobId);
    ippAddBoolean(send, IPP_TAG_OPERATION, "last-document", 1);
    const Answer sent = ask(connection, send, resource, request.file.c_str());
    if (connection.gaveUp())
        return afterCutTransfer(request, uri, created.jobId, limitPassed(connection));
    if (!sent.ok()) {
        cancelJob(uri, created.jobId);
        refused(queue, sent);
    }
    return created.jobId;
}

} // namespace pravik::printers
