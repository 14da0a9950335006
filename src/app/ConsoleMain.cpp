// The program without windows: `pravik --print LIST.lst` and
// `pravik --preview LIST.lst`. On Windows it is the windowed program's
// console twin, pravik.com, which a console waits for; elsewhere it is the
// whole program of a build without Qt.
#include "CrashLog.h"
#include "HeadlessMain.h"
#include "ProgramConsole.h"
#include "ProgramInfo.h"
#include "SettingsLocation.h"

#include <iostream>

int main(int argc, char** argv)
{
    pravik::installCrashLog();
    pravik::useConsoleForOutput();
    const std::vector<std::string> args = pravik::commandLineArguments(argc, argv);
    if (const pravik::InfoRequest info = pravik::infoRequested(args); info != pravik::InfoRequest::None)
        return pravik::answerInfoRequest(info, pravik::settingsLocation().iniPath(), std::cout);
    std::optional<pravik::HeadlessOptions> options;
    try {
        options = pravik::parseHeadlessArguments(args);
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
