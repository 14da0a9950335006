#pragma once

#include <filesystem>
#include <string>

namespace pravik {

// Files a run keeps in the temporary folder are named after the process
// that made them ("PREFIX" "PID-START-..."), so that the next run can tell
// those of runs that were killed without a chance to clean up.

// The temporary folder.
std::filesystem::path temporaryFolder();

// "PID-START": this process, whatever later takes over its id (START is
// when it started, in clock ticks since boot).
const std::string& ownRunStamp();

// True for a regular file of this user named "PREFIX" "PID-START-..." whose
// process is gone (this run's own files are never).
bool fileOfEndedRun(const std::filesystem::path& file, const std::string& prefix);

} // namespace pravik
