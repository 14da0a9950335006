#include "AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <system_error>

namespace pravik {

namespace {

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

std::filesystem::path resolveLinks(const std::filesystem::path& target)
{
    std::error_code ec;
    if (std::filesystem::is_symlink(target, ec)) {
        auto resolved = std::filesystem::weakly_canonical(target, ec);
        if (!ec)
            return resolved;
    }
    return target;
}

// Why the existing target must not be replaced (an errno value), or 0. The
// user's permissions are respected: a file nobody may write stays as it is,
// even for root, who may write anything.
int refusal(const struct stat& existing)
{
    if (!S_ISREG(existing.st_mode))
        return EINVAL;
    if ((existing.st_mode & 0222) == 0)
        return EACCES;
    return 0;
}

// Gives the new file the old one's owner and group. Only root can give a
// file away, so another user's file cannot be replaced (EPERM); our own keeps
// its owner even where its group is one we are no longer in.
bool keepOwner(int fd, const struct stat& existing)
{
    if (::fchown(fd, existing.st_uid, existing.st_gid) == 0)
        return true;
    return errno == EPERM && existing.st_uid == ::geteuid();
}

} // namespace

bool writeFileAtomically(const std::filesystem::path& requested, std::string_view bytes)
{
    const std::filesystem::path target = resolveLinks(requested);

    struct stat existing {};
    const bool replacing = ::stat(target.c_str(), &existing) == 0;
    if (replacing) {
        if (const int why = refusal(existing)) {
            errno = why;
            return false;
        }
        if (::access(target.c_str(), W_OK) != 0)
            return false;
    } else if (errno != ENOENT) {
        return false;
    }

    std::string temp = target.string() + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;

    mode_t mode = 0;
    if (replacing) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    bool ok = writeAll(fd, bytes) && (!replacing || keepOwner(fd, existing));
    // Mode after owner: changing the owner may clear the set-id bits.
    ok = ok && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    int savedErrno = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        errno = savedErrno;
    }
    return ok;
}

} // namespace pravik
