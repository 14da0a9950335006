#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace pravik::printers {

// True when the print system knows a queue of that name (UTF-8). Throws
// pravik::Error when the print system cannot be asked.
bool queueExists(const std::string& name);

// The print system's default queue (UTF-8), empty when there is none.
std::string defaultQueue();

// Watches one queue for the jobs that one print hands over, so that a print
// counts as done only when the print system has really taken it.
class QueueWatch {
public:
    // Notes the jobs the queue already holds. Throws pravik::Error.
    explicit QueueWatch(std::string queue);

    // Waits until the queue holds at least one job newer than at
    // construction, and returns the new job ids. Throws pravik::Error when
    // none arrives within `limit`, or when a new job was aborted or
    // cancelled. `idle` runs between polls.
    std::vector<int> awaitAccepted(std::chrono::milliseconds limit,
                                   const std::function<void()>& idle) const;

private:
    std::string queue_;
    int lastJobBefore_ = 0;
};

} // namespace pravik::printers
