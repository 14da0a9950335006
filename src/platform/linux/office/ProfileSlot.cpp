#include "ProfileSlot.h"

#include "Error.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace pravik::office {

namespace {

constexpr int kSlots = 32;

// A sweep holds free slots for a moment: an office of this program starting
// meanwhile waits for them rather than take a fresh slot, whose profile
// would make its first start slow.
std::mutex sweepMutex;

std::string errnoText() { return std::strerror(errno); }

} // namespace

std::filesystem::path cacheFolder()
{
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && xdg[0] == '/')
        return std::filesystem::path(xdg) / "pravik";
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return std::filesystem::path(home) / ".cache" / "pravik";
    throw Error("キャッシュ フォルダが分かりません（HOME が設定されていません）");
}

ProfileSlot ProfileSlot::acquire(const std::string& kind)
{
    const std::filesystem::path folder = cacheFolder() / "office";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec)
        throw Error("フォルダ " + folder.string() + " を作成できません: " + ec.message());

    const std::lock_guard lock(sweepMutex);
    for (int slot = 0; slot < kSlots; ++slot) {
        const std::string name = kind + "-" + std::to_string(slot);
        const std::filesystem::path lockPath = folder / (name + ".lock");
        const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            throw Error("ファイル " + lockPath.string() + " を開けません: " + errnoText());
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return ProfileSlot(folder / name, fd);
        const int error = errno;
        ::close(fd);
        if (error != EWOULDBLOCK)
            throw Error("ファイル " + lockPath.string() + " をロックできません: "
                        + std::strerror(error));
    }
    throw Error("オフィス エンジンのプロファイルがすべて使用中です (" + folder.string() + ")");
}

void ProfileSlot::forEachFreeSlot(const std::string& kind,
                                  const std::function<void(const ProfileSlot&)>& visit)
{
    const std::filesystem::path folder = cacheFolder() / "office";
    const std::lock_guard lock(sweepMutex);
    for (int slot = 0; slot < kSlots; ++slot) {
        const std::string name = kind + "-" + std::to_string(slot);
        const std::filesystem::path lockPath = folder / (name + ".lock");
        // A slot never used has no lock file and nothing to clear.
        const int fd = ::open(lockPath.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            continue;
        }
        const ProfileSlot held(folder / name, fd); // unlocked again when it goes
        visit(held);
    }
}

ProfileSlot::ProfileSlot(std::filesystem::path profileDir, int lockFd)
    : profileDir_(std::move(profileDir)), lockFd_(lockFd)
{
}

ProfileSlot::ProfileSlot(ProfileSlot&& other) noexcept
    : profileDir_(std::move(other.profileDir_)), lockFd_(other.lockFd_)
{
    other.lockFd_ = -1;
}

ProfileSlot& ProfileSlot::operator=(ProfileSlot&& other) noexcept
{
    if (this != &other) {
        if (lockFd_ >= 0)
            ::close(lockFd_);
        profileDir_ = std::move(other.profileDir_);
        lockFd_ = other.lockFd_;
        other.lockFd_ = -1;
    }
    return *this;
}

ProfileSlot::~ProfileSlot()
{
    if (lockFd_ >= 0)
        ::close(lockFd_); // closing releases the lock
}

std::filesystem::path ProfileSlot::logFile() const
{
    std::filesystem::path log = profileDir_;
    log += ".log";
    return log;
}

std::filesystem::path ProfileSlot::scratchDir() const
{
    std::filesystem::path scratch = profileDir_;
    scratch += ".tmp";
    return scratch;
}

} // namespace pravik::office
