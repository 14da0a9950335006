#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pravik::printers {

// A print queue as the print system names it, or one of its instances
// ("queue/instance"): the same queue with options of its own.
struct Queue {
    std::string name;     // the queue's own spelling (UTF-8)
    std::string instance; // empty: the queue itself
    std::vector<std::pair<std::string, std::string>> options; // the instance's
    std::string uri; // where jobs for it go; empty: the local scheduler's usual one

    // "queue" or "queue/instance".
    std::string shownName() const { return instance.empty() ? name : name + "/" + instance; }
};

class Dests;

// While one lives, lookups on the thread that made it (findQueue and
// the printer list) use the print system's destinations as
// read when it was made. A job looks its printers up several times, and each
// reading is a round trip to the scheduler; one reading per job also gives
// every step of it the same view.
class PrinterSnapshot {
public:
    PrinterSnapshot();
    PrinterSnapshot(const PrinterSnapshot&) = delete;
    PrinterSnapshot& operator=(const PrinterSnapshot&) = delete;

private:
    std::shared_ptr<const Dests> dests_;
};

// The queue a printer name (UTF-8, "queue" or "queue/instance") stands for,
// matched without regard to letter case as the print system itself does;
// nullopt when there is none. Throws pravik::Error when the print system
// cannot be reached.
std::optional<Queue> findQueue(const std::string& name);

// True when the print system knows a queue of that name (UTF-8). Throws
// pravik::Error when the print system cannot be asked.
bool queueExists(const std::string& name);

// The print system's default queue (UTF-8), empty when there is none.
std::string defaultQueue();

struct SubmitRequest {
    Queue queue;          // as found: the job may leave on a thread that reads the printers anew
    std::string file;     // the document to print, in a format the print system takes
    std::string title;    // the job's name in the queue (UTF-8)
    int copies = 1;
    bool collate = true;
};

// Hands the file to the print system as one job, with the instance's options
// when the queue names one, and returns the job's id once the system has
// accepted it. Throws pravik::Error with the system's reason when it refuses.
int submitPrintFile(const SubmitRequest& request);

// The message for a print system that cannot be reached, with the reason
// when one is known.
std::string unreachableText(const std::string& reason);

// True when the print system answers a question within `limit`.
bool printSystemAnswers(std::chrono::seconds limit);

// The message for work given up at its deadline while the print system did
// not answer.
std::string stalledText(std::chrono::seconds deadline);

} // namespace pravik::printers
