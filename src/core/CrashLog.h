#pragma once

#include <string>

namespace pravik {

// Makes an uncaught exception and a fatal signal (SIGSEGV, SIGABRT, SIGBUS,
// SIGFPE, SIGILL) leave their text and a backtrace on standard error and in
// the crash log before the program ends, so that a failure at start-up or
// later is never silent. Call once, first thing in main().
void installCrashLog();

// The crash log: "pravik/crash.log" in the user's cache folder
// ($XDG_CACHE_HOME, else ~/.cache). Entries are appended.
std::string crashLogPath();

// Writes `text` with a backtrace to standard error and the crash log, then
// ends the program with SIGABRT. For fatal messages of the GUI toolkit.
[[noreturn]] void crashWithMessage(const std::string& text);

} // namespace pravik
