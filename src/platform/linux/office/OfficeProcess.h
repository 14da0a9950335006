#pragma once

#include <filesystem>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <vector>

namespace pravik::office {

// The office program in a process group of its own, led by a small guardian
// process. The guardian ends the whole group as soon as this program lets
// go of it: by stop(), at normal exit, or when this program dies in any way
// (it sees its lifeline pipe close), so no office is ever left running.
// When the office ends on its own, the guardian clears the rest of the group
// and leaves too, which is how running() learns of the office's death.
class OfficeProcess {
public:
    // Starts program with args (args[0] is the program's name). Its output
    // goes to logFile. `leftovers` are files the program makes and cannot
    // remove when it is killed (its sockets): they are removed once the
    // group has ended, and so is `scratchFolder` with all it holds.
    // `environment` ("NAME=value") is added to the program's environment.
    // Throws pravik::Error when no process can be made.
    OfficeProcess(const std::string& program, const std::vector<std::string>& args,
                  const std::filesystem::path& logFile,
                  const std::vector<std::string>& leftovers = {},
                  const std::vector<std::string>& environment = {},
                  const std::filesystem::path& scratchFolder = {});
    ~OfficeProcess();
    OfficeProcess(const OfficeProcess&) = delete;
    OfficeProcess& operator=(const OfficeProcess&) = delete;

    bool running();
    // Ends the group and waits for it (a few seconds at most).
    void stop();
    // Kills the whole group at once, from any thread.
    void killGroup();

    // The group's id, -1 once it has ended.
    pid_t group();

private:
    // The guardian leads the group; until it is reaped its id, and so the
    // group's, cannot be given to another process. It is forgotten under
    // this lock when reaped, so a signal never reaches a recycled id.
    std::mutex mutex_;
    pid_t guardian_ = -1;
    int lifeline_ = -1;
};

} // namespace pravik::office
