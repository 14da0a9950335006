#include "ProgramConsole.h"

namespace pravik {

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

void useConsoleForOutput() {}

} // namespace pravik
