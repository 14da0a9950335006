#pragma once

#include "ServerLaunch.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>

namespace pravik::win {

// Ends server processes the program no longer wants, each once its time has
// come and no print job of it is still being spooled: ending an office that
// still sends a job to a slow printer would lose the job. One that shows
// itself to the user (ServerShown.h) is left running: it may be theirs.
class ServerEnding {
public:
    // stillSpooling(printer): a job of this user is still growing there.
    explicit ServerEnding(std::function<bool(const std::wstring&)> stillSpooling);
    // Ends what is left, each at its time: no server outlives the program.
    ~ServerEnding();
    ServerEnding(const ServerEnding&) = delete;
    ServerEnding& operator=(const ServerEnding&) = delete;

    // Ends `process` at `when` or later, unless it has ended by itself.
    // printer: where its print job went; empty when none is known.
    void endAt(HeldProcess process, std::chrono::steady_clock::time_point when, std::wstring printer);

private:
    struct Pending {
        HeldProcess process;
        std::chrono::steady_clock::time_point when;
        std::wstring printer;
    };
    void loop();

    std::function<bool(const std::wstring&)> stillSpooling_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::list<Pending> pending_; // only the loop erases: its iterators stay valid
    bool looping_ = false;
    std::thread thread_; // runs only while something is pending
};

} // namespace pravik::win
