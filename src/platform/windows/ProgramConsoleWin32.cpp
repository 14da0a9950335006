#include "ProgramConsole.h"

#include "WideText.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

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
    const UINT previous = ::GetConsoleOutputCP();
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
