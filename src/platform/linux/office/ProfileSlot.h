#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace pravik::office {

// The office keeps its settings in a profile folder that must not be shared
// by two running offices: a second one would hand its work to the first and
// leave. Each running copy of this program therefore locks a numbered slot
// under the user's cache folder; the profile stays there for the next start,
// which is then much faster.
class ProfileSlot {
public:
    // The first free slot of `kind` ("print", "preview"). Throws pravik::Error
    // when the cache folder cannot be used or every slot is taken.
    static ProfileSlot acquire(const std::string& kind);

    // Runs `visit` on each slot of `kind` that was used before and that no
    // running copy holds now, holding it meanwhile.
    static void forEachFreeSlot(const std::string& kind,
                                const std::function<void(const ProfileSlot&)>& visit);

    ProfileSlot(ProfileSlot&& other) noexcept;
    ProfileSlot& operator=(ProfileSlot&& other) noexcept;
    ProfileSlot(const ProfileSlot&) = delete;
    ProfileSlot& operator=(const ProfileSlot&) = delete;
    ~ProfileSlot();

    const std::filesystem::path& profileDir() const { return profileDir_; }
    // Where the office's own output goes.
    std::filesystem::path logFile() const;
    // The office's temp folder: whatever a killed office leaves there is
    // found again by the next office of this slot.
    std::filesystem::path scratchDir() const;

private:
    ProfileSlot(std::filesystem::path profileDir, int lockFd);

    std::filesystem::path profileDir_;
    int lockFd_ = -1;
};

// $XDG_CACHE_HOME/pravik, or ~/.cache/pravik. Throws pravik::Error when
// neither can be found.
std::filesystem::path cacheFolder();

} // namespace pravik::office
