// The program without windows: `pravik --print LIST.lst` and
// `pravik --preview LIST.lst`. On Windows it is the windowed program's
// console twin, pravik.com, which a console waits for; elsewhere it is the
// whole program of a build without Qt.
#include "CrashLog.h"
#include "HeadlessMain.h"
#include "ProgramConsole.h"

#include <iostream>

int main(int argc, char** argv)
{
    pravik::installCrashLog();
    pravik::useConsoleForOutput();
    std::optional<pravik::HeadlessOptions> options;
    try {
        options = pravik::parseHeadlessArguments(pravik::commandLineArguments(argc, argv));
    } catch (const std::exception& error) {
        std::cerr << pravik::headlessErrorLine(error.what());
        return pravik::kRunImpossible;
    }
    if (!options) {
        std::cerr << pravik::headlessUsage();
        return pravik::kRunImpossible;
    }
    return pravik::runWithoutWindows(*options);
}
