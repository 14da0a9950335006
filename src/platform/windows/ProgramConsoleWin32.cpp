#include "ProgramConsole.h"

#include "WideText.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <streambuf>
#include <string>

namespace pravik {

namespace {

bool leadsSomewhere(DWORD stream)
{
    const HANDLE handle = ::GetStdHandle(stream);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

bool isConsole(DWORD stream)
{
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(stream), &mode) != 0;
}

// The program writes UTF-8, a line at a time, never cut inside a character:
// each line goes on as UTF-16 to where the stream leads.
class LineBuffer : public std::streambuf {
protected:
    virtual void write(const std::wstring& line) = 0;
    virtual int flushTarget() { return 0; }

    int overflow(int c) override
    {
        if (c == traits_type::eof())
            return sync() == 0 ? 0 : traits_type::eof();
        pending_ += static_cast<char>(c);
        if (c == '\n')
            writePending();
        return c;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override
    {
        pending_.append(text, static_cast<size_t>(count));
        if (pending_.find('\n') != std::string::npos)
            writePending();
        return count;
    }
    int sync() override
    {
        writePending();
        return flushTarget();
    }

private:
    void writePending()
    {
        if (pending_.empty())
            return;
        const int length = ::MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(pending_.size()),
                                                 nullptr, 0);
        std::wstring wide(static_cast<size_t>(std::max(length, 0)), L'\0');
        ::MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(pending_.size()), wide.data(), length);
        pending_.clear();
        write(wide);
    }

    std::string pending_;
};

// A file or a pipe gets the text in the code page a Japanese Windows reads
// it in (`type`, Shift-JIS tools): the console's output code page, or the
// system's when there is no console.
class CodePageBuffer final : public LineBuffer {
public:
    CodePageBuffer(std::streambuf* target, UINT codePage) : target_(target), codePage_(codePage) {}

protected:
    void write(const std::wstring& wide) override
    {
        const int size = ::WideCharToMultiByte(codePage_, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                               0, nullptr, nullptr);
        std::string converted(static_cast<size_t>(std::max(size, 0)), '\0');
        ::WideCharToMultiByte(codePage_, 0, wide.data(), static_cast<int>(wide.size()), converted.data(), size,
                              nullptr, nullptr);
        target_->sputn(converted.data(), static_cast<std::streamsize>(converted.size()));
    }
    int flushTarget() override { return target_->pubsync(); }

private:
    std::streambuf* target_;
    UINT codePage_;
};

// A console gets the characters themselves: bytes in any code page are read
// back as that page says, and UTF-8 bytes come out garbled on consoles that
// do not decode them (Wine's among them).
class ConsoleBuffer final : public LineBuffer {
public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {}

protected:
    void write(const std::wstring& wide) override
    {
        for (size_t done = 0; done < wide.size();) {
            DWORD written = 0;
            const DWORD part = static_cast<DWORD>(std::min<size_t>(wide.size() - done, 8192));
            if (!::WriteConsoleW(console_, wide.data() + done, part, &written, nullptr) || written == 0)
                return; // a console gone away takes the rest with it
            done += written;
        }
    }

private:
    HANDLE console_;
};

// The console a stream that nobody redirected writes to; null when there is
// none.
HANDLE consoleOf(DWORD stream)
{
    if (isConsole(stream))
        return ::GetStdHandle(stream);
    // Attached to its parent's console, a windowed program's standard
    // handles may still lead nowhere.
    const HANDLE console = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, 0, nullptr);
    return console == INVALID_HANDLE_VALUE ? nullptr : console;
}

// Kept for the whole process: the streams are flushed at its very end.
void writeThroughConsole(std::ostream& stream, DWORD handle, bool redirected, UINT codePage)
{
    if (redirected) {
        if (codePage != CP_UTF8)
            stream.rdbuf(new CodePageBuffer(stream.rdbuf(), codePage));
        return;
    }
    if (const HANDLE console = consoleOf(handle)) {
        stream.flush();
        stream.rdbuf(new ConsoleBuffer(console));
    }
}

} // namespace

std::vector<std::string> commandLineArguments(int, char**)
{
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i)
        args.push_back(win::utf8Of(wide[i]));
    ::LocalFree(wide);
    return args;
}

void useConsoleForOutput()
{
    // A stream the caller redirected (to a file, a pipe) stays where it goes.
    const bool outputRedirected = leadsSomewhere(STD_OUTPUT_HANDLE) && !isConsole(STD_OUTPUT_HANDLE);
    const bool errorRedirected = leadsSomewhere(STD_ERROR_HANDLE) && !isConsole(STD_ERROR_HANDLE);
    if (::GetConsoleWindow() == nullptr && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
        // What writes through C's streams (Qt's own messages) reaches it too.
        if (!outputRedirected)
            (void)std::freopen("CONOUT$", "w", stdout);
        if (!errorRedirected)
            (void)std::freopen("CONOUT$", "w", stderr);
    }
    const UINT consoleCodePage = ::GetConsoleOutputCP();
    const UINT codePage = consoleCodePage != 0 ? consoleCodePage : ::GetACP();
    writeThroughConsole(std::cout, STD_OUTPUT_HANDLE, outputRedirected, codePage);
    writeThroughConsole(std::cerr, STD_ERROR_HANDLE, errorRedirected, codePage);
}

} // namespace pravik
