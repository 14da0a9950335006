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
// its own: it takes its parent's for the streams not redirected elsewhere.
// Text for a console goes to it as characters, text for a file or a pipe in
// the console's code page. Nothing to do on other systems.
void useConsoleForOutput();

} // namespace pravik
