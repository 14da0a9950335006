#pragma once

#include <windows.h>

#include <guiddef.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pravik::win {

// A server process held open: its id cannot pass to another process while
// this lives, so ending it ends the process meant. Recorded as this run's
// server (ServerRecords.h) for as long as it is held.
class HeldProcess {
public:
    // Takes the handle.
    explicit HeldProcess(HANDLE handle);
    ~HeldProcess();
    HeldProcess(HeldProcess&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    HeldProcess& operator=(HeldProcess&& other) noexcept;
    HeldProcess(const HeldProcess&) = delete;
    HeldProcess& operator=(const HeldProcess&) = delete;

    DWORD id() const;
    bool running() const;
    // True once the process has ended, waiting for that up to `ms`.
    bool endsWithin(DWORD ms) const;
    // Another hold on the same process; nullopt when the system refuses one.
    std::optional<HeldProcess> duplicate() const;
    // Ends the process (the system finishes that by itself, soon after).
    void end();

private:
    void letGo();

    HANDLE handle_;
};

// Finds the process that one creation of a class's local server starts, by
// what can be told for certain rather than by a program's name (the user
// may have their own Word open): a process of the executable registered as
// the class's LocalServer32 that did not run when the creation began.
class ServerLaunch {
public:
    // Notes the server's executable and its processes running now. Without
    // a registered local server (an in-process class) nothing is watched.
    explicit ServerLaunch(const CLSID& clsid);

    // Asked which of the processes started since is the server's.
    using AskServer = std::function<std::optional<DWORD>(const std::vector<DWORD>& started)>;

    // The process of the server's executable started since: the one there
    // is, or of several (this program's other starts, the user's own) the
    // one left when those another server of ours holds, and those COM did
    // not start, are put aside, or else the one `askServer` names. None when
    // there is none, or several and no answer, for one of them may be the
    // user's.
    std::optional<HeldProcess> started(const AskServer& askServer = {}) const;

    // After a creation that failed: the one process of the server's
    // executable started since that COM started for automation (by its
    // command line); none when it cannot be told.
    std::optional<HeldProcess> startedForAutomation() const;

private:
    struct FileId {
        DWORD volume, high, low;
        bool operator==(const FileId&) const = default;
    };
    struct Seen {
        DWORD id;
        ULONGLONG createdAt;
        bool operator==(const Seen&) const = default;
    };
    static std::optional<FileId> fileIdOf(const std::wstring& path);
    std::vector<Seen> running() const;
    std::vector<Seen> fresh() const;
    static std::optional<HeldProcess> hold(const Seen& seen);

    std::wstring fileName_; // the executable's name, to pass over other processes quickly
    std::optional<FileId> file_; // none: nothing to watch
    std::vector<Seen> before_;
};

// The class's LocalServer32 command line, environment variables expanded;
// empty when there is none. A 32-bit Office registers it in the 32-bit view
// of the registry.
std::wstring localServerCommand(const CLSID& clsid);

// The executable of a LocalServer32 command line: quoted, or the shortest
// part up to a blank that names an existing file (as the system reads an
// unquoted one). Empty when none does.
std::wstring serverExecutable(const std::wstring& commandLine);

} // namespace pravik::win
