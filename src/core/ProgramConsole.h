#pragma once

#include <string>
#include <vector>

namespace pravik {

// The command line as UTF-8 text, without the program's name. On Windows it
// is read as wide text: the ANSI command line loses every character outside
// the system's code page.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// Makes the result lines of a run without windows reach the console the
// program was started from. A windowed program on Windows has no console of
// its own: it takes its parent's for the streams not redirected elsewhere,
// and the console shows UTF-8 until the program ends. Nothing to do on other
// systems.
void useConsoleForOutput();

// Gives the console back the output code page it had before
// useConsoleForOutput(); done at exit by itself, and called by a way out
// that skips the exit's handlers. Safe to call at any time, more than once.
void restoreConsoleOutput();

} // namespace pravik
