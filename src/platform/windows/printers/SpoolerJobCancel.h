#pragma once

#include "JobNotes.h"
#include "SpoolerCalls.h"

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace pravik::printers {

// This user's jobs on a printer when a print call began, so that the jobs
// that appear during the call are known as the call's own.
class JobsBeforePrint {
public:
    JobsBeforePrint() = default;
    // `printer` empty: the system's default printer.
    JobsBeforePrint(SpoolerCalls& spooler, std::wstring printer);

    // How to take back the jobs that appeared since; empty when none did,
    // or the spooler could not be asked.
    jobnotes::JobCancel cancelOfNewJobs(const std::shared_ptr<SpoolerCalls>& spooler) const;

    // The jobs there were; empty when the spooler could not be asked.
    std::set<DWORD> ids() const;

private:
    std::wstring printer_;
    std::optional<std::vector<DWORD>> before_;
};

} // namespace pravik::printers
