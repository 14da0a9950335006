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
std::map<int, RecordedJob> jobsOnRecord; // by job id
std::map<int, RecordedCreate> createsOnRecord; // by key
int nextKey = 1;

std::filesystem::path ownLedger()
{
    return temporaryFolder() / (kPrefix + ownRunStamp() + "-ledger");
}

// Under ledgerMutex. One line a record, the title last (it may hold spaces):
// "job ID URI TITLE" or "create ASKED URI TITLE".
void writeLedger()
{
    if (jobsOnRecord.empty() && createsOnRecord.empty()) {
        std::error_code ec;
        std::filesystem::remove(ownLedger(), ec);
        return;
    }
    std::ofstream out(ownLedger(), std::ios::trunc);
    for (const auto& [jobId, job] : jobsOnRecord)
        out << "job " << jobId << ' ' << job.uri << ' ' << job.title << '\n';
    for (const auto& [key, create] : createsOnRecord)
        out << "create " << create.asked << ' ' << create.uri << ' ' << create.title << '\n';
}

struct Ledger {
    std::vector<RecordedJob> jobs;
    std::vector<RecordedCreate> creates;
};

Ledger readLedger(const std::filesystem::path& file)
{
    Ledger ledger;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string kind, uri, title;
        long long number = 0;
        if (!(fields >> kind))
            continue;
        if (kind.find_first_not_of("0123456789") == std::string::npos) {
            // An earlier version's line: "ID URI".
            if (fields >> uri && kind.size() < 10)
                ledger.jobs.push_back({uri, std::stoi(kind), {}});
            continue;
        }
        if (!(fields >> number >> uri))
            continue;
        fields.get();
        std::getline(fields, title);
        if (kind == "job" && number > 0)
            ledger.jobs.push_back({uri, static_cast<int>(number), title});
        else if (kind == "create")
            ledger.creates.push_back({0, uri, title, static_cast<std::time_t>(number)});
    }
    return ledger;
}

// Under ledgerMutex.
int addCreate(RecordedCreate create)
{
    create.key = nextKey++;
    createsOnRecord[create.key] = create;
    writeLedger();
    return create.key;
}

} // namespace

JobOnRecord::JobOnRecord(std::string uri, int jobId, std::string title) : jobId_(jobId)
{
    std::lock_guard lock(ledgerMutex);
    jobsOnRecord[jobId] = {std::move(uri), jobId, std::move(title)};
    writeLedger();
}

JobOnRecord::~JobOnRecord()
{
    std::lock_guard lock(ledgerMutex);
    jobsOnRecord.erase(jobId_);
    writeLedger();
}

CreateOnRecord::CreateOnRecord(std::string uri, std::string title, std::time_t asked)
{
    std::lock_guard lock(ledgerMutex);
    key_ = addCreate({0, std::move(uri), std::move(title), asked});
}

CreateOnRecord::~CreateOnRecord()
{
    if (!kept_)
        forgetCreate(key_);
}

std::vector<RecordedCreate> unansweredCreates()
{
    std::lock_guard lock(ledgerMutex);
    std::vector<RecordedCreate> creates;
    for (const auto& [key, create] : createsOnRecord)
        creates.push_back(create);
    return creates;
}

void forgetCreate(int key)
{
    std::lock_guard lock(ledgerMutex);
    createsOnRecord.erase(key);
    writeLedger();
}

std::vector<RecordedJob> takeJobsOfEndedRuns()
{
    std::vector<RecordedJob> jobs;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(temporaryFolder(), ec)) {
        if (!fileOfEndedRun(entry.path(), kPrefix))
            continue;
        Ledger ledger = readLedger(entry.path());
        jobs.insert(jobs.end(), ledger.jobs.begin(), ledger.jobs.end());
        {
            // Adopted before the dead run's record goes: a run killed now
            // leaves them to the next one still.
            std::lock_guard lock(ledgerMutex);
            for (RecordedCreate& create : ledger.creates)
                addCreate(std::move(create));
        }
        std::filesystem::remove(entry.path(), ec);
    }
    return jobs;
}

OtherRuns recordsOfOtherRuns()
{
    OtherRuns others;
    const std::string own = ownLedger().filename().string();
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(temporaryFolder(), ec)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(kPrefix) || name == own || fileOfEndedRun(entry.path(), kPrefix))
            continue;
        const Ledger ledger = readLedger(entry.path());
        for (const RecordedJob& job : ledger.jobs)
            others.jobIds.push_back(job.jobId);
        others.creates.insert(others.creates.end(), ledger.creates.begin(), ledger.creates.end());
    }
    return others;
}

} // namespace pravik::printers
