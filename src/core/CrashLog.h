#pragma once

#include <string>

namespace pravik {

// Makes an uncaught exception and a fatal signal (SIGSEGV, SIGABRT, SIGBUS,
// SIGFPE, SIGILL; on Windows a structured exception, with its code and
// address) leave their text and a backtrace on standard error and in the
// crash log before the program ends, so that a failure at start-up or later
// is never silent. Call once, first thing in main().
void installCrashLog();

// The crash log: "pravik/crash.log" in the user's cache folder
// ($XDG_CACHE_HOME, else ~/.cache; on Windows %LOCALAPPDATA%). Entries are
// appended.
std::string crashLogPath();

// Writes `text` with a backtrace to standard error and the crash log, then
// ends the program as abort() does. For fatal messages of the GUI toolkit.
[[noreturn]] void crashWithMessage(const std::string& text);

} // namespace pravik
