#include "OfficeProcess.h"

#include "Error.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <string_view>
#include <unistd.h>

extern char** environ;

namespace pravik::office {

namespace {

// Everything from here to the end of guardianMain runs in a forked copy of
// a multi-threaded process: only async-signal-safe calls are allowed.

void setDisposition(int signal, void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

void closeFrom(int first, int maxFd)
{
    if (::close_range(static_cast<unsigned>(first), ~0U, 0) == 0)
        return;
    for (int fd = first; fd < maxFd; ++fd)
        ::close(fd);
}

long millisecondsNow()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000L + now.tv_nsec / 1000000L;
}

void napMilliseconds(long ms)
{
    timespec pause {0, ms * 1000000L};
    nanosleep(&pause, nullptr);
}

void wakeUp(int) {}

constexpr int kLifelineFd = 3;
constexpr int kHighFd = 100;

[[noreturn]] void guardianMain(int lifeline, int logFd, int nullFd, int maxFd,
                               char* const* argv, char* const* envp, char* const* leftovers,
                               char* const* removeScratch)
{
    setpgid(0, 0);
    // Orphaned grandchildren (the office's own children) come back to us, so
    // "no child left" means the whole office is gone.
    prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0);

    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int signal : {SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGCHLD})
        setDisposition(signal, SIG_DFL);

    // Out of the way of the standard descriptors before they are replaced.
    lifeline = fcntl(lifeline, F_DUPFD, kHighFd);
    logFd = fcntl(logFd, F_DUPFD, kHighFd);
    nullFd = fcntl(nullFd, F_DUPFD, kHighFd);

    const pid_t office = fork();
    if (office == 0) {
        dup2(nullFd, 0);
        dup2(logFd, 1);
        dup2(logFd, 2);
        closeFrom(3, maxFd);
        execve(argv[0], argv, envp);
        static const char message[] = "cannot execute the office program\n";
        [[maybe_unused]] const ssize_t written = write(2, message, sizeof message - 1);
        _exit(127);
    }

    // The signals that end the group must not end its guardian.
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGPIPE})
        setDisposition(signal, SIG_IGN);
    // Keep only the lifeline, and let go of the caller's terminal and pipes:
    // whoever reads this program's output must see it end with the program.
    dup2(nullFd, 0);
    dup2(nullFd, 1);
    dup2(nullFd, 2);
    dup2(lifeline, kLifelineFd);
    closeFrom(kLifelineFd + 1, maxFd);

    if (office > 0) {
        // The office's end wakes the wait at once: the program that asked it
        // to quit is waiting for this guardian to finish.
        sigset_t childEnded;
        sigemptyset(&childEnded);
        sigaddset(&childEnded, SIGCHLD);
        sigprocmask(SIG_BLOCK, &childEnded, nullptr);
        setDisposition(SIGCHLD, wakeUp);
        for (;;) {
            bool officeEnded = false;
            int status;
            pid_t ended;
            while ((ended = waitpid(-1, &status, WNOHANG)) > 0)
                officeEnded = officeEnded || ended == office;
            if (officeEnded)
                break;
            pollfd watch {kLifelineFd, POLLIN, 0};
            const timespec limit {0, 200 * 1000000L};
            const int ready = ppoll(&watch, 1, &limit, &none);
            if (ready > 0) {
                char byte;
                const ssize_t got = read(kLifelineFd, &byte, 1);
                if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN))
                    break; // the program let go or died
            }
        }
    }

    const pid_t group = getpid();
    kill(-group, SIGTERM);
    const long deadline = millisecondsNow() + 5000;
    bool ended = false;
    while (!ended && millisecondsNow() < deadline) {
        int status;
        const pid_t child = waitpid(-1, &status, WNOHANG);
        ended = child < 0 && errno == ECHILD;
        if (child <= 0 && !ended)
            napMilliseconds(20);
    }
    for (char* const* file = leftovers; *file; ++file)
        unlink(*file);
    if (ended && removeScratch[0]) {
        // Nothing of the office runs any more; what it kept in its scratch
        // folder goes too (a folder tree is more than a signal-safe call can
        // remove).
        execv(removeScratch[0], removeScratch);
    }
    if (ended)
        _exit(0);
    kill(-group, SIGKILL); // the guardian included
    _exit(1);
}

int openOrNull(const std::filesystem::path& path, int flags)
{
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0600);
    return fd >= 0 ? fd : ::open("/dev/null", O_RDWR | O_CLOEXEC);
}

} // namespace

OfficeProcess::OfficeProcess(const std::string& program, const std::vector<std::string>& args,
                             const std::filesystem::path& logFile,
                             const std::vector<std::string>& leftovers,
                             const std::vector<std::string>& environment,
                             const std::filesystem::path& scratchFolder)
{
    // Everything the children need is made before the fork.
    std::vector<std::string> argStrings = args;
    if (argStrings.empty())
        argStrings.push_back(program);
    argStrings[0] = program;
    std::vector<char*> argv;
    for (std::string& arg : argStrings)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> leftoverStrings = leftovers;
    std::vector<char*> leftoverList;
    for (std::string& file : leftoverStrings)
        leftoverList.push_back(file.data());
    leftoverList.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (char** entry = environ; *entry; ++entry) {
        const std::string_view text(*entry);
        const bool replaced = std::any_of(environment.begin(), environment.end(), [&](const std::string& own) {
            const size_t equals = own.find('=');
            return text.substr(0, text.find('=')) == std::string_view(own).substr(0, equals);
        });
        if (!replaced)
            envStrings.emplace_back(text);
    }
    envStrings.insert(envStrings.end(), environment.begin(), environment.end());
    std::vector<char*> envp;
    for (std::string& entry : envStrings)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> scratchStrings;
    if (!scratchFolder.empty())
        scratchStrings = {"/bin/rm", "-rf", "--", scratchFolder.string()};
    std::vector<char*> removeScratch;
    for (std::string& arg : scratchStrings)
        removeScratch.push_back(arg.data());
    removeScratch.push_back(nullptr);

    rlimit limit {};
    const int maxFd = getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
        ? static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 65536))
        : 65536;

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        throw Error(std::string("オフィス エンジンを起動できません: ") + std::strerror(errno));
    const int logFd = openOrNull(logFile, O_WRONLY | O_CREAT | O_TRUNC);
    const int nullFd = ::open("/dev/null", O_RDWR | O_CLOEXEC);

    const pid_t child = fork();
    if (child == 0)
        guardianMain(pipeFds[0], logFd, nullFd, maxFd, argv.data(), envp.data(), leftoverList.data(),
                     removeScratch.data());

    const int forkError = errno;
    ::close(pipeFds[0]);
    ::close(logFd);
    ::close(nullFd);
    if (child < 0) {
        ::close(pipeFds[1]);
        throw Error(std::string("オフィス エンジンを起動できません: ") + std::strerror(forkError));
    }
    setpgid(child, child); // also here, so the group exists whichever runs first
    guardian_ = child;
    lifeline_ = pipeFds[1];
}

OfficeProcess::~OfficeProcess()
{
    stop();
}

bool OfficeProcess::running()
{
    std::lock_guard lock(mutex_);
    if (guardian_ <= 0)
        return false;
    int status;
    const pid_t ended = waitpid(guardian_, &status, WNOHANG);
    if (ended == 0)
        return true;
    guardian_ = -1;
    if (lifeline_ >= 0) {
        ::close(lifeline_);
        lifeline_ = -1;
    }
    return false;
}

void OfficeProcess::stop()
{
    {
        std::lock_guard lock(mutex_);
        if (lifeline_ >= 0) {
            ::close(lifeline_);
            lifeline_ = -1;
        }
    }
    for (int waited = 0; waited < 8000; waited += 10) {
        {
            std::lock_guard lock(mutex_);
            if (guardian_ <= 0)
                return;
            int status;
            if (waitpid(guardian_, &status, WNOHANG) != 0) {
                guardian_ = -1;
                return;
            }
        }
        napMilliseconds(10);
    }
    std::lock_guard lock(mutex_);
    if (guardian_ <= 0)
        return;
    kill(-guardian_, SIGKILL);
    int status;
    waitpid(guardian_, &status, 0);
    guardian_ = -1;
}

pid_t OfficeProcess::group()
{
    std::lock_guard lock(mutex_);
    return guardian_;
}

void OfficeProcess::killGroup()
{
    std::lock_guard lock(mutex_);
    if (guardian_ > 0)
        kill(-guardian_, SIGKILL);
}

} // namespace pravik::office
