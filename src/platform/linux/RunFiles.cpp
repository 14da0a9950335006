#include "RunFiles.h"

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace pravik {

namespace {

// When the process started, in clock ticks since boot; empty when it is gone.
std::string startTimeOf(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(in, stat);
    // The fields after the command (which may hold anything) are plain.
    const size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return {};
    size_t field = close + 2; // field 3
    for (int number = 3; number < 22; ++number) {
        field = stat.find(' ', field);
        if (field == std::string::npos)
            return {};
        ++field;
    }
    return stat.substr(field, stat.find(' ', field) - field);
}

} // namespace

std::filesystem::path temporaryFolder()
{
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    return ec ? std::filesystem::path("/tmp") : folder;
}

const std::string& ownRunStamp()
{
    static const std::string stamp = std::to_string(::getpid()) + "-" + startTimeOf(::getpid());
    return stamp;
}

bool fileOfEndedRun(const std::filesystem::path& file, const std::string& prefix)
{
    const std::string name = file.filename().string();
    if (!name.starts_with(prefix) || name.starts_with(prefix + ownRunStamp() + "-"))
        return false;
    // PID-START-...
    const std::string rest = name.substr(prefix.size());
    const size_t dash = rest.find('-');
    const size_t second = dash == std::string::npos ? dash : rest.find('-', dash + 1);
    if (second == std::string::npos)
        return false;
    const std::string pid = rest.substr(0, dash);
    if (pid.empty() || pid.size() > 9 || pid.find_first_not_of("0123456789") != std::string::npos)
        return false;
    struct stat info {};
    if (::lstat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::getuid())
        return false;
    return startTimeOf(static_cast<pid_t>(std::stol(pid))) != rest.substr(dash + 1, second - dash - 1);
}

} // namespace pravik
