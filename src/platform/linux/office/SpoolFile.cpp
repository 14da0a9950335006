#include "SpoolFile.h"

#include "Error.h"
#include "OfficeLeftovers.h"
#include "OfficeLifetime.h"
#include "RunFiles.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
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

// "pravik-print-PID-START-": this run's files.
std::string ownStem()
{
    return kPrefix + ownRunStamp() + "-";
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
    const std::filesystem::path folder = temporaryFolder();
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
    for (const auto& entry : std::filesystem::directory_iterator(temporaryFolder(), ec))
        if (fileOfEndedRun(entry.path(), kPrefix))
            ::unlink(entry.path().c_str());
}

} // namespace pravik::office
