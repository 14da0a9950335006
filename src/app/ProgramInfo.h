#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace pravik {

// What a command line asks for besides a run or the windows.
enum class InfoRequest { None, Usage, Version };

// --help, -h or /? ask for the usage; --version for the version.
InfoRequest infoRequested(const std::vector<std::string>& args);

// Writes what was asked for (UTF-8) and returns the exit status: 0. The
// version is main.ini's, as the version dialog shows it.
int answerInfoRequest(InfoRequest request, const std::string& iniPath, std::ostream& out);

} // namespace pravik
