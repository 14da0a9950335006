#pragma once

#include <string>

namespace pravik::office {

// A rendered job between the office and the print system, in the temporary
// folder, removed however printing ends: when this object goes, by
// removeSpoolFileNow() when the program is ended by a signal, and, after
// the program was killed outright, by the next run (its name holds the
// process that made it).
class SpoolFile {
public:
    // Throws pravik::Error when no file can be made.
    SpoolFile();
    ~SpoolFile();
    SpoolFile(const SpoolFile&) = delete;
    SpoolFile& operator=(const SpoolFile&) = delete;

    const std::string& path() const { return path_; }
    bool empty() const;

private:
    std::string path_;
    int slot_ = -1;
};

// Removes the spool files that runs of this program which are gone (killed
// without a chance to clean up) left in the temporary folder.
void removeSpoolFilesOfEndedRuns();

} // namespace pravik::office
