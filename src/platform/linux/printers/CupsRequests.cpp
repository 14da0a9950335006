#include "CupsRequests.h"

#include "CupsPassword.h"

namespace pravik::printers {

std::string printerUri(const std::string& queueName, const std::string& queueUri)
{
    if (!queueUri.empty())
        return queueUri;
    char local[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, local, sizeof local, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", queueName.c_str());
    return local;
}

ipp_t* jobRequest(ipp_op_t operation, const std::string& uri, int jobId)
{
    ipp_t* request = ippNewRequest(operation);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
    if (jobId > 0)
        ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    return request;
}

Answer answerOf(ipp_t* response)
{
    Answer answer;
    answer.passwordRefused = takePasswordRefused();
    if (!response) {
        // libcups leaves its last error as an earlier call set it when the
        // connection ends before an answer: that would be another request's
        // outcome (a Create-Job's success read as a Send-Document's).
        answer.answered = false;
        answer.status = IPP_STATUS_ERROR_SERVICE_UNAVAILABLE;
        return answer;
    }
    answer.status = ippGetStatusCode(response);
    const char* message = ippGetString(ippFindAttribute(response, "status-message", IPP_TAG_TEXT), 0, nullptr);
    answer.text = message ? message : ippErrorString(answer.status);
    if (ipp_attribute_t* id = ippFindAttribute(response, "job-id", IPP_TAG_INTEGER))
        answer.jobId = ippGetInteger(id, 0);
    if (ipp_attribute_t* count = ippFindAttribute(response, "number-of-documents", IPP_TAG_INTEGER))
        answer.documents = ippGetInteger(count, 0);
    if (ipp_attribute_t* state = ippFindAttribute(response, "job-state", IPP_TAG_ENUM))
        answer.state = ippGetInteger(state, 0);
    ippDelete(response);
    return answer;
}

Answer ask(CupsConnection& connection, ipp_t* request, const std::string& resource)
{
    connection.restartClock();
    takePasswordRefused(); // nothing of an earlier request
    return answerOf(cupsDoRequest(connection.http(), request, resource.c_str()));
}

} // namespace pravik::printers
