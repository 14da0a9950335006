#pragma once

#include "CupsConnection.h"

#include <cups/cups.h>

#include <string>

namespace pravik::printers {

// The printer's address as the job requests name it.
std::string printerUri(const std::string& queueName, const std::string& queueUri);

// A job request from this user, for the job `jobId` when given.
ipp_t* jobRequest(ipp_op_t operation, const std::string& uri, int jobId = 0);

// What came back of a request.
struct Answer {
    ipp_status_t status = IPP_STATUS_OK;
    std::string text; // the print system's status message
    // False when nothing came back (the connection ended, or the print
    // system restarted): the request may or may not have taken effect.
    bool answered = true;
    int jobId = 0;
    int documents = -1; // "number-of-documents" when asked for
    int state = 0;      // "job-state" when asked for
    bool passwordRefused = false;

    bool ok() const { return answered && status <= IPP_STATUS_OK_CONFLICTING; }
};

// Sends the request (freed here) and reads what came back.
Answer ask(CupsConnection& connection, ipp_t* request, const std::string& resource);

// Reads the answer to a request already sent (freed here), and the job's
// attributes in it.
Answer answerOf(ipp_t* response);

} // namespace pravik::printers
