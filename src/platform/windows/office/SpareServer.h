#pragma once

#include <windows.h>

#include <oaidl.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace pravik::win {

// A server started ahead for the next job, on a thread of its own in the
// multithreaded apartment, so that its start overlaps the job in hand. The
// job's thread takes it over through a marshalled reference: a reference
// may be used only in the apartment it belongs to. One that nobody takes is
// given to `letGoOf` once it has started, and let go of.
class SpareServer {
public:
    // Makes the server's application object on the calling thread.
    using Start = std::function<HRESULT(IDispatch** application)>;

    // Decides, on the spare's thread, what becomes of a started server
    // nobody took (quit, or left to the user).
    using LetGoOf = std::function<void(IDispatch* application)>;

    SpareServer(std::string progId, Start start, LetGoOf letGoOf);
    // Lets go of it (as letGo()) and waits for its thread.
    ~SpareServer();
    SpareServer(const SpareServer&) = delete;
    SpareServer& operator=(const SpareServer&) = delete;

    const std::string& progId() const { return progId_; }
    std::chrono::steady_clock::time_point askedAt() const { return askedAt_; }

    // On the thread that takes the server over, once: waits for its start
    // while `keepWaiting` says so, and returns S_OK with the application in
    // the calling thread's apartment, the start's failure, or E_ABORT when
    // the wait was given up.
    HRESULT take(IDispatch** application, const std::function<bool()>& keepWaiting);

    // Its start has ended, well or not.
    bool startEnded() const;

    // Nobody will take it: its thread lets go of it once it has started,
    // without the caller waiting for that.
    void letGo();
    // Its thread has let go of everything.
    bool finished() const;

private:
    struct Shared;
    std::string progId_;
    std::chrono::steady_clock::time_point askedAt_ = std::chrono::steady_clock::now();
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

} // namespace pravik::win
