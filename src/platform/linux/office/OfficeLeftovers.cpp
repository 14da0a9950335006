#include "OfficeLeftovers.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace pravik::office {

namespace {

constexpr const char* kProfileArgument = "-env:UserInstallation=";
constexpr const char* kAcceptArgument = "--accept=pipe,name=";

std::vector<std::string> commandLineOf(pid_t pid)
{
    // Plain reads: a process may end while its line is read, and the read
    // then fails rather than ends.
    std::string all;
    const int fd = ::open(("/proc/" + std::to_string(pid) + "/cmdline").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        char buffer[4096];
        ssize_t got;
        while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
            all.append(buffer, static_cast<size_t>(got));
        ::close(fd);
    }
    std::vector<std::string> args;
    size_t start = 0;
    for (size_t end; (end = all.find('\0', start)) != std::string::npos; start = end + 1)
        args.push_back(all.substr(start, end - start));
    return args;
}

bool ownedByUs(pid_t pid)
{
    struct stat info {};
    return ::stat(("/proc/" + std::to_string(pid)).c_str(), &info) == 0 && info.st_uid == ::getuid();
}

std::string acceptedPipe(const std::vector<std::string>& args)
{
    const std::string prefix = kAcceptArgument;
    for (const std::string& arg : args)
        if (arg.starts_with(prefix))
            return arg.substr(prefix.size(), arg.find(';') - prefix.size());
    return {};
}

} // namespace

std::vector<std::string> pipeSocketPaths(const std::string& pipeName)
{
    const std::string socket = "OSL_PIPE_" + std::to_string(::getuid()) + "_" + pipeName;
    return {"/tmp/" + socket, "/var/tmp/" + socket};
}

PipeOwner pipeOwner(const std::string& pipeName)
{
    // The runtime uses the first of its folders that it may write to.
    const std::vector<std::string> paths = pipeSocketPaths(pipeName);
    const std::string& path = ::access("/tmp", W_OK) == 0 ? paths[0] : paths[1];
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return PipeOwner::Missing;
    return S_ISSOCK(info.st_mode) && info.st_uid == ::getuid() ? PipeOwner::Ours : PipeOwner::Stranger;
}

std::string unpredictablePipeName(const std::string& prefix)
{
    unsigned char bytes[16] = {};
    size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (n > 0)
            got += static_cast<size_t>(n);
    }
    std::string name = prefix;
    char hex[3];
    for (unsigned char byte : bytes) {
        std::snprintf(hex, sizeof hex, "%02x", byte);
        name += hex;
    }
    return name;
}

void removePipeSockets(const std::string& pipeName)
{
    for (const std::string& path : pipeSocketPaths(pipeName)) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode) && info.st_uid == ::getuid())
            ::unlink(path.c_str());
    }
}

std::vector<pid_t> processesUsingProfile(const std::string& profileUrl)
{
    const std::string wanted = kProfileArgument + profileUrl;
    std::vector<pid_t> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const pid_t pid = static_cast<pid_t>(std::stol(name));
        if (pid == ::getpid() || !ownedByUs(pid))
            continue;
        for (const std::string& arg : commandLineOf(pid))
            if (arg == wanted) {
                found.push_back(pid);
                break;
            }
    }
    return found;
}

int endOrphans(const std::string& profileUrl)
{
    const std::string wanted = kProfileArgument + profileUrl;
    std::vector<std::string> pipes;
    std::vector<int> ending;
    for (pid_t pid : processesUsingProfile(profileUrl)) {
        // Held by a descriptor, the process is the one signalled even if it
        // ends and its id goes to another in the meantime; it is checked
        // again once held.
        const int process = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
        if (process < 0)
            continue; // already gone
        const std::vector<std::string> args = commandLineOf(pid);
        if (std::find(args.begin(), args.end(), wanted) == args.end()) {
            ::close(process);
            continue;
        }
        if (std::string pipe = acceptedPipe(args); !pipe.empty())
            pipes.push_back(pipe);
        // Nothing of this program is connected to it, and asking would mean
        // trusting whatever answers on its pipes: it is killed outright.
        ::syscall(SYS_pidfd_send_signal, process, SIGKILL, nullptr, 0);
        ending.push_back(process);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (int process : ending) {
        // Readable once the process has ended.
        pollfd ended {process, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        ::poll(&ended, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
        ::close(process);
    }
    for (const std::string& pipe : pipes)
        removePipeSockets(pipe);
    return static_cast<int>(ending.size());
}

} // namespace pravik::office
