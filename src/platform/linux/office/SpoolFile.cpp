#include "SpoolFile.h"

#include "Error.h"
#include "OfficeLeftovers.h"
#include "OfficeLifetime.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace pravik::office {

namespace {

constexpr const char* kPrefix = "pravik-print-";

// The spool files in hand (rendered ahead, and waiting for their turn), for a
// signal handler that ends the program. A slot is claimed by one thread,
// filled, then shown; it is shown before its file exists and hidden only
// once the file is gone, so no file is ever out of the handler's sight. Its
// version is odd while its path is written: the handler, which may run
// while another thread reuses the slot, keeps only a path read whole.
constexpr int kSpoolSlots = 40;
constexpr size_t kPathSize = 4096;
char spoolPaths[kSpoolSlots][kPathSize];
std::atomic<bool> spoolInUse[kSpoolSlots];
std::atomic<bool> slotClaimed[kSpoolSlots];
std::atomic<unsigned> slotVersion[kSpoolSlots];
static_assert(std::atomic<unsigned>::is_always_lock_free);

std::filesystem::path tempFolder()
{
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    return ec ? std::filesystem::path("/tmp") : folder;
}

// When the process started, in clock ticks since boot: with the process id
// it names one process, whatever later takes over its id. Empty when the
// process is gone.
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

// "pravik-print-PID-START-": this run's files.
const std::string& ownStem()
{
    static const std::string stem =
        std::string(kPrefix) + std::to_string(::getpid()) + "-" + startTimeOf(::getpid()) + "-";
    return stem;
}

int claimSlot(const std::string& path)
{
    if (path.size() >= kPathSize)
        return -1;
    for (int slot = 0; slot < kSpoolSlots; ++slot) {
        if (slotClaimed[slot].exchange(true))
            continue;
        ++slotVersion[slot];
        std::memcpy(spoolPaths[slot], path.c_str(), path.size() + 1);
        ++slotVersion[slot];
        spoolInUse[slot] = true;
        return slot;
    }
    return -1;
}

void releaseSlot(int slot)
{
    if (slot < 0)
        return;
    spoolInUse[slot] = false;
    slotClaimed[slot] = false;
}

} // namespace

SpoolFile::SpoolFile()
{
    const std::filesystem::path folder = tempFolder();
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = (folder / unpredictablePipeName(ownStem())).string();
        slot_ = claimSlot(path_);
        const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return;
        }
        const int error = errno;
        releaseSlot(slot_);
        slot_ = -1;
        if (error != EEXIST)
            throw Error("印刷用の一時ファイルを作成できません: " + std::string(std::strerror(error)));
    }
    throw Error("印刷用の一時ファイルを作成できません");
}

SpoolFile::~SpoolFile()
{
    ::unlink(path_.c_str());
    releaseSlot(slot_);
}

bool SpoolFile::empty() const
{
    struct stat info {};
    return ::stat(path_.c_str(), &info) != 0 || info.st_size == 0;
}

void removeSpoolFileNow()
{
    char path[kPathSize];
    for (int slot = 0; slot < kSpoolSlots; ++slot) {
        // A path rewritten while it was read is read again.
        for (int attempt = 0; attempt < 100; ++attempt) {
            const unsigned before = slotVersion[slot];
            if (!spoolInUse[slot] || before % 2 != 0)
                break;
            std::memcpy(path, spoolPaths[slot], kPathSize);
            if (slotVersion[slot] == before && spoolInUse[slot]) {
                path[kPathSize - 1] = '\0';
                ::unlink(path);
                break;
            }
        }
    }
}

void removeSpoolFilesOfEndedRuns()
{
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(tempFolder(), ec)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(kPrefix) || name.starts_with(ownStem()))
            continue;
        // pravik-print-PID-START-RANDOM
        const std::string rest = name.substr(std::strlen(kPrefix));
        const size_t dash = rest.find('-');
        const size_t second = dash == std::string::npos ? dash : rest.find('-', dash + 1);
        if (second == std::string::npos)
            continue;
        const std::string pid = rest.substr(0, dash);
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        struct stat info {};
        if (::lstat(entry.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::getuid())
            continue;
        if (startTimeOf(static_cast<pid_t>(std::stol(pid))) != rest.substr(dash + 1, second - dash - 1))
            ::unlink(entry.path().c_str());
    }
}

} // namespace pravik::office
