#include "CrashLog.h"

#include "CurrentException.h"
#include "ServerRecords.h"
#include "WideText.h"

#include <windows.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <exception>
#include <iterator>

namespace pravik {

namespace {

// Made at installation: after a fault the heap may be the broken part, so
// the report is put together in static buffers only.
wchar_t logPath[4096];
wchar_t logFolder[4096];
char logPathUtf8[3 * 4096];

// Exceptions that libgcc raises to unwind for C++ (throw, forced unwind):
// the crash log must not take them for faults.
constexpr DWORD kGccMagic = (DWORD('G') << 16) | (DWORD('C') << 8) | DWORD('C') | (1U << 29);

// One report at a time: the thread making it holds this.
volatile LONG reportingThread = 0;

// Text put together without the heap.
template <size_t Capacity>
class Text {
public:
    void text(const char* s)
    {
        while (*s && size_ < sizeof buffer_)
            buffer_[size_++] = *s++;
    }

    void number(unsigned long long value)
    {
        char digits[24];
        int at = sizeof digits;
        do {
            digits[--at] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value > 0);
        append(digits + at, sizeof digits - static_cast<size_t>(at));
    }

    // "0x" and upper-case hex digits, at least `width` of them.
    void hex(unsigned long long value, int width)
    {
        char digits[16];
        int at = sizeof digits;
        do {
            digits[--at] = "0123456789ABCDEF"[value & 0xF];
            value >>= 4;
        } while ((value > 0 || sizeof digits - at < static_cast<size_t>(width)) && at > 0);
        text("0x");
        append(digits + at, sizeof digits - static_cast<size_t>(at));
    }

    void wide(const wchar_t* s, int length)
    {
        const int room = static_cast<int>(sizeof buffer_ - size_);
        const int written =
            ::WideCharToMultiByte(CP_UTF8, 0, s, length, buffer_ + size_, room, nullptr, nullptr);
        if (written > 0)
            size_ += static_cast<size_t>(written);
    }

    // "pravik.exe+0x1234": the offset finds the code again in the map or
    // with a disassembler, whatever the load address was.
    bool location(const void* at, const char* before)
    {
        HMODULE module = nullptr;
        if (!at
            || !::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS
                                         | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                     static_cast<LPCWSTR>(at), &module))
            return false;
        static wchar_t name[MAX_PATH];
        const DWORD length = ::GetModuleFileNameW(module, name, MAX_PATH);
        DWORD start = length;
        while (start > 0 && name[start - 1] != L'\\' && name[start - 1] != L'/')
            --start;
        text(before);
        wide(name + start, static_cast<int>(length - start));
        text("+");
        hex(reinterpret_cast<uintptr_t>(at) - reinterpret_cast<uintptr_t>(module), 1);
        return true;
    }

    const char* c_str()
    {
        buffer_[size_] = '\0';
        return buffer_;
    }
    size_t size() const { return size_; }

private:
    void append(const char* s, size_t length)
    {
        while (length-- > 0 && size_ < sizeof buffer_)
            buffer_[size_++] = *s++;
    }

    // One spare for c_str()'s terminator.
    char buffer_[Capacity + 1];
    size_t size_ = 0;
};

// Only static: a stack overflow leaves the filter little stack.
Text<16 * 1024> report;
Text<1024> detail;
void* frames[64];
CONTEXT walked;

void writeAll(HANDLE file, const char* s, size_t length)
{
    while (length > 0) {
        DWORD written = 0;
        if (!::WriteFile(file, s, static_cast<DWORD>(length), &written, nullptr) || written == 0)
            return;
        s += written;
        length -= written;
    }
}

void writeText(HANDLE file, const char* s) { writeAll(file, s, std::strlen(s)); }

// To standard error when there is one (a GUI program has none unless it
// attached a console), and to the log.
void writeReport()
{
    HANDLE log = INVALID_HANDLE_VALUE;
    if (logPath[0] != L'\0') {
        ::CreateDirectoryW(logFolder, nullptr);
        log = ::CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    if (error != nullptr && error != INVALID_HANDLE_VALUE) {
        writeAll(error, report.c_str(), report.size());
        if (log != INVALID_HANDLE_VALUE) {
            writeText(error, "  (also written to ");
            writeText(error, logPathUtf8);
            writeText(error, ")\n");
        }
    }
    if (log != INVALID_HANDLE_VALUE) {
        writeAll(log, report.c_str(), report.size());
        writeText(log, "\n");
        ::CloseHandle(log);
    }
}

void writeBacktrace(int depth)
{
    report.text("  backtrace:\n");
    // A null return address is the end: past the thread's start there is
    // nothing to read.
    for (int i = 0; i < depth && frames[i]; ++i) {
        report.text("    #");
        report.number(static_cast<unsigned>(i));
        report.text(" ");
        report.hex(reinterpret_cast<uintptr_t>(frames[i]), 16);
        report.location(frames[i], " ");
        report.text("\n");
    }
}

// The caller is the first to report, and reports; a fault while reporting
// ends without a second report, and another thread's fault meanwhile waits
// for this one to end the process.
bool beginReport()
{
    const LONG self = static_cast<LONG>(::GetCurrentThreadId());
    const LONG holder = ::InterlockedCompareExchange(&reportingThread, self, 0);
    if (holder == 0)
        return true;
    if (holder != self)
        ::Sleep(INFINITE);
    return false;
}

void heading(const char* what, const char* detail)
{
    report.text("pravik: ");
    report.text(what);
    if (detail && *detail) {
        report.text(": ");
        report.text(detail);
    }
    report.text("\n  pid ");
    report.number(::GetCurrentProcessId());
    report.text(", time ");
    report.number(static_cast<unsigned long long>(::time(nullptr)));
    report.text("\n");
}

void reportHere(const char* what, const char* detail)
{
    if (!beginReport())
        return;
    heading(what, detail);
    // Without this function's own frame.
    writeBacktrace(::RtlCaptureStackBackTrace(1, 62, frames, nullptr));
    writeReport();
}

// The frames of the faulting code, from its registers: the filter's own
// stack goes through the system's dispatcher and says nothing of them.
int walkFrom(const CONTEXT& context)
{
#if defined(__x86_64__) || defined(_M_X64)
    // A fault here would end the process before anything was written: the
    // walk reads only inside the thread's stack.
    ULONG_PTR low = 0;
    ULONG_PTR high = 0;
    ::GetCurrentThreadStackLimits(&low, &high);
    const auto onStack = [low, high](DWORD64 at) { return at >= low && at + 8 <= high; };
    walked = context;
    int depth = 0;
    while (depth < 64 && walked.Rip != 0) {
        frames[depth++] = reinterpret_cast<void*>(walked.Rip);
        if (!onStack(walked.Rsp))
            break;
        DWORD64 imageBase = 0;
        if (const PRUNTIME_FUNCTION function = ::RtlLookupFunctionEntry(walked.Rip, &imageBase, nullptr)) {
            void* handlerData = nullptr;
            DWORD64 establisher = 0;
            ::RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, walked.Rip, function, &walked, &handlerData,
                               &establisher, nullptr);
        } else {
            // A leaf function, or a call to a bad address: the return
            // address is on top of the stack.
            walked.Rip = *reinterpret_cast<const DWORD64*>(walked.Rsp);
            walked.Rsp += 8;
        }
    }
    return depth;
#else
    (void)context;
    return ::RtlCaptureStackBackTrace(0, 62, frames, nullptr);
#endif
}

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD& record = *info->ExceptionRecord;
    // A C++ exception with no handler: letting libgcc go on makes it call
    // std::terminate, which reports it with its text.
    if ((record.ExceptionCode & 0x20FFFFFF) == kGccMagic
        && !(record.ExceptionFlags & EXCEPTION_NONCONTINUABLE))
        return EXCEPTION_CONTINUE_EXECUTION;
    if (!beginReport())
        return EXCEPTION_EXECUTE_HANDLER;

    // "code 0xC0000005 at 0x00007FF6A1B2C3D4 (pravik.exe+0x1234), writing 0x0000000000000000"
    detail.text("code ");
    detail.hex(record.ExceptionCode, 8);
    detail.text(" at ");
    detail.hex(reinterpret_cast<uintptr_t>(record.ExceptionAddress), 16);
    if (detail.location(record.ExceptionAddress, " ("))
        detail.text(")");
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2) {
        const ULONG_PTR access = record.ExceptionInformation[0];
        detail.text(access == 0 ? ", reading " : access == 8 ? ", executing " : ", writing ");
        detail.hex(record.ExceptionInformation[1], 16);
    }
    heading("structured exception", detail.c_str());
    writeBacktrace(walkFrom(*info->ContextRecord));
    writeReport();
    // Word or Excel left running would stay invisible with the user's file open.
    win::endRecordedServers();
    // The process ends with the exception's code, as without the filter.
    return EXCEPTION_EXECUTE_HANDLER;
}

// abort()'s exit code, with the office servers of the run ended, and
// without the message box that msvcrt's abort() puts up in a GUI program
// before it ends: a --print run must not hang on it.
[[noreturn]] void endAsAborted()
{
    win::endRecordedServers();
    std::_Exit(3);
}

void onAbortSignal(int)
{
    reportHere("fatal signal SIGABRT", nullptr);
    endAsAborted();
}

void onTerminate()
{
    const std::string text = currentExceptionText();
    reportHere("uncaught exception", text.c_str());
    endAsAborted();
}

std::wstring localAppData()
{
    const DWORD size = ::GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0);
    if (size <= 1)
        return {};
    std::wstring value(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", value.data(), size);
    value.resize(length < size ? length : 0);
    return value;
}

} // namespace

std::string crashLogPath()
{
    const std::wstring folder = localAppData();
    return folder.empty() ? std::string() : win::utf8Of(folder + L"\\pravik\\crash.log");
}

void installCrashLog()
{
    const std::wstring base = localAppData();
    if (!base.empty()) {
        const std::wstring folder = base + L"\\pravik";
        const std::wstring path = folder + L"\\crash.log";
        const std::string utf8 = win::utf8Of(path);
        if (path.size() < std::size(logPath) && utf8.size() < sizeof logPathUtf8) {
            std::wcscpy(logPath, path.c_str());
            std::wcscpy(logFolder, folder.c_str());
            std::strcpy(logPathUtf8, utf8.c_str());
        }
    }
    // Room for the filter after the stack has overflowed (this thread's).
    ULONG guarantee = 64 * 1024;
    ::SetThreadStackGuarantee(&guarantee);

    std::set_terminate(onTerminate);
    std::signal(SIGABRT, onAbortSignal);
    ::SetUnhandledExceptionFilter(onUnhandledException);
}

void crashWithMessage(const std::string& text)
{
    reportHere("fatal error", text.c_str());
    endAsAborted();
}

} // namespace pravik
