#include "JobLedger.h"

#include "RunFiles.h"

#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

namespace pravik::printers {

namespace {

constexpr const char* kPrefix = "pravik-jobs-";

std::mutex ledgerMutex;
std::map<int, std::string> onRecord; // job id: printer uri

std::filesystem::path ownLedger()
{
    return temporaryFolder() / (kPrefix + ownRunStamp() + "-ledger");
}

// Under ledgerMutex.
void writeLedger()
{
    if (onRecord.empty()) {
        std::error_code ec;
        std::filesystem::remove(ownLedger(), ec);
        return;
    }
    std::ofstream out(ownLedger(), std::ios::trunc);
    for (const auto& [jobId, uri] : onRecord)
        out << jobId << '\t' << uri << '\n';
}

} // namespace

JobOnRecord::JobOnRecord(std::string uri, int jobId) : jobId_(jobId)
{
    std::lock_guard lock(ledgerMutex);
    onRecord[jobId] = std::move(uri);
    writeLedger();
}

JobOnRecord::~JobOnRecord()
{
    std::lock_guard lock(ledgerMutex);
    onRecord.erase(jobId_);
    writeLedger();
}

std::vector<RecordedJob> takeJobsOfEndedRuns()
{
    std::vector<RecordedJob> jobs;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(temporaryFolder(), ec)) {
        if (!fileOfEndedRun(entry.path(), kPrefix))
            continue;
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            RecordedJob job;
            if (fields >> job.jobId >> job.uri && job.jobId > 0)
                jobs.push_back(std::move(job));
        }
        std::filesystem::remove(entry.path(), ec);
    }
    return jobs;
}

} // namespace pravik::printers
