#include "ProgramConsole.h"

#include "WideText.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <streambuf>
#include <string>

namespace pravik {

namespace {

// The console's output code page before the program changed it; 0 while
// unchanged.
volatile LONG previousOutputCodePage = 0;

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

// The program writes UTF-8. A file or a pipe gets the text in the code page
// a Japanese Windows reads it in (`type`, Shift-JIS tools): the console's
// output code page, or the system's when there is no console. Converted a
// line at a time, never inside a character.
class CodePageBuffer final : public std::streambuf {
public:
    CodePageBuffer(std::streambuf* target, UINT codePage) : target_(target), codePage_(codePage) {}

protected:
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
        return target_->pubsync();
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
        const int size = ::WideCharToMultiByte(codePage_, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                               0, nullptr, nullptr);
        std::string converted(static_cast<size_t>(std::max(size, 0)), '\0');
        ::WideCharToMultiByte(codePage_, 0, wide.data(), static_cast<int>(wide.size()), converted.data(), size,
                              nullptr, nullptr);
        target_->sputn(converted.data(), static_cast<std::streamsize>(converted.size()));
    }

    std::streambuf* target_;
    UINT codePage_;
    std::string pending_;
};

void convertWhenRedirected(std::ostream& stream, DWORD handle, UINT codePage)
{
    if (!leadsSomewhere(handle) || isConsole(handle) || codePage == CP_UTF8)
        return;
    // Kept for the whole process: the streams are flushed at its very end.
    stream.rdbuf(new CodePageBuffer(stream.rdbuf(), codePage));
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
    const bool outputRedirected = leadsSomewhere(STD_OUTPUT_HANDLE);
    const bool errorRedirected = leadsSomewhere(STD_ERROR_HANDLE);
    if (::GetConsoleWindow() == nullptr && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (!outputRedirected)
            (void)std::freopen("CONOUT$", "w", stdout);
        if (!errorRedirected)
            (void)std::freopen("CONOUT$", "w", stderr);
    }
    const UINT consoleCodePage = ::GetConsoleOutputCP();
    convertWhenRedirected(std::cout, STD_OUTPUT_HANDLE, consoleCodePage != 0 ? consoleCodePage : ::GetACP());
    convertWhenRedirected(std::cerr, STD_ERROR_HANDLE, consoleCodePage != 0 ? consoleCodePage : ::GetACP());
    const UINT previous = consoleCodePage;
    if (previous == 0 || previous == CP_UTF8 || !::SetConsoleOutputCP(CP_UTF8))
        return; // no console, or already UTF-8: nothing to give back
    ::InterlockedExchange(&previousOutputCodePage, static_cast<LONG>(previous));
    // The console outlives the program: a cmd.exe would go on showing its
    // own texts in UTF-8.
    std::atexit(restoreConsoleOutput);
}

void restoreConsoleOutput()
{
    const LONG previous = ::InterlockedExchange(&previousOutputCodePage, 0);
    if (previous != 0)
        ::SetConsoleOutputCP(static_cast<UINT>(previous));
}

} // namespace pravik
