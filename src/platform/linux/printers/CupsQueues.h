#pragma once

#include <string>

namespace pravik::printers {

// True when the print system knows a queue of that name (UTF-8). Throws
// pravik::Error when the print system cannot be asked.
bool queueExists(const std::string& name);

// The print system's default queue (UTF-8), empty when there is none.
std::string defaultQueue();

struct SubmitRequest {
    std::string queue;    // UTF-8
    std::string file;     // the document to print, in a format the print system takes
    std::string title;    // the job's name in the queue (UTF-8)
    int copies = 1;
    bool collate = true;
};

// Hands the file to the print system as one job and returns the job's id
// once the system has accepted it. Throws pravik::Error with the system's
// reason when it refuses.
int submitPrintFile(const SubmitRequest& request);

} // namespace pravik::printers
