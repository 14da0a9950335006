#include "CrashLog.h"

#include "CurrentException.h"

#include <array>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <execinfo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pravik {

namespace {

// Made at installation: a signal handler may not allocate.
char logPath[4096];
char logFolder[4096];
char cacheFolder[4096];

constexpr std::array kFatalSignals = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};

void writeAll(int fd, const char* text, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, text, size);
        if (written <= 0)
            return;
        text += written;
        size -= static_cast<size_t>(written);
    }
}

void writeText(int fd, const char* text) { writeAll(fd, text, std::strlen(text)); }

// A decimal number without the C library's formatting, which may allocate.
void writeNumber(int fd, long long value)
{
    char digits[24];
    int at = sizeof digits;
    const bool negative = value < 0;
    unsigned long long rest = negative ? 0ULL - static_cast<unsigned long long>(value)
                                       : static_cast<unsigned long long>(value);
    do {
        digits[--at] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest > 0);
    if (negative)
        digits[--at] = '-';
    writeAll(fd, digits + at, sizeof digits - static_cast<size_t>(at));
}

int openLog()
{
    if (logPath[0] == '\0')
        return -1;
    ::mkdir(cacheFolder, 0700);
    ::mkdir(logFolder, 0700);
    return ::open(logPath, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
}

// The report, to standard error and the log; async-signal-safe apart from
// the first backtrace(), which installCrashLog() has already made.
void report(const char* what, const char* detail)
{
    void* frames[64];
    const int depth = ::backtrace(frames, 64);
    const int log = openLog();
    for (const int fd : {STDERR_FILENO, log}) {
        if (fd < 0)
            continue;
        writeText(fd, "pravik: ");
        writeText(fd, what);
        if (detail && *detail) {
            writeText(fd, ": ");
            writeText(fd, detail);
        }
        writeText(fd, "\n  pid ");
        writeNumber(fd, ::getpid());
        writeText(fd, ", time ");
        writeNumber(fd, static_cast<long long>(::time(nullptr)));
        writeText(fd, "\n  backtrace:\n");
        ::backtrace_symbols_fd(frames, depth, fd);
        if (fd != STDERR_FILENO) {
            writeText(fd, "\n");
        } else if (log >= 0) {
            writeText(fd, "  (also written to ");
            writeText(fd, logPath);
            writeText(fd, ")\n");
        }
    }
    if (log >= 0)
        ::close(log);
}

[[noreturn]] void abortWithoutReportingAgain()
{
    std::signal(SIGABRT, SIG_DFL);
    std::abort();
}

void onFatalSignal(int signal)
{
    const char* name = ::sigabbrev_np(signal);
    char what[64] = "fatal signal SIG";
    std::strncat(what, name ? name : "?", sizeof what - std::strlen(what) - 1);
    report(what, nullptr);
    // Ended by the same signal, so that the parent and a core dump see the truth.
    std::signal(signal, SIG_DFL);
    ::raise(signal);
}

void onTerminate()
{
    const std::string text = currentExceptionText();
    report("uncaught exception", text.c_str());
    abortWithoutReportingAgain();
}

bool copyInto(char* target, size_t size, const std::string& text)
{
    if (text.size() + 1 > size)
        return false;
    std::memcpy(target, text.c_str(), text.size() + 1);
    return true;
}

} // namespace

std::string crashLogPath()
{
    std::string cache;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/')
        cache = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        cache = std::string(home) + "/.cache";
    else
        return {};
    return cache + "/pravik/crash.log";
}

void installCrashLog()
{
    const std::string path = crashLogPath();
    if (!path.empty()) {
        const std::string folder = path.substr(0, path.rfind('/'));
        const std::string cache = folder.substr(0, folder.rfind('/'));
        if (!copyInto(logPath, sizeof logPath, path) || !copyInto(logFolder, sizeof logFolder, folder)
            || !copyInto(cacheFolder, sizeof cacheFolder, cache))
            logPath[0] = '\0';
    }
    // The first backtrace() loads the unwinder, which allocates.
    void* warmUp[1];
    ::backtrace(warmUp, 1);

    std::set_terminate(onTerminate);

    // Its own stack, so that a stack overflow can still be reported.
    static std::array<char, 64 * 1024> alternateStack;
    stack_t stack {};
    stack.ss_sp = alternateStack.data();
    stack.ss_size = alternateStack.size();
    ::sigaltstack(&stack, nullptr);
    for (const int signal : kFatalSignals) {
        struct sigaction action {};
        action.sa_handler = onFatalSignal;
        action.sa_flags = SA_ONSTACK | SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

void crashWithMessage(const std::string& text)
{
    report("fatal error", text.c_str());
    abortWithoutReportingAgain();
}

} // namespace pravik
