#pragma once

#include <string>
#include <vector>

namespace pravik::printers {

// While one lives, a job this run made is on record, in the temporary
// folder, as waiting for its document: a run ended in the middle of the
// transfer (a second signal, SIGKILL) would leave that job waiting for a
// document that never comes, and the next run takes it away.
class JobOnRecord {
public:
    JobOnRecord(std::string uri, int jobId);
    ~JobOnRecord();
    JobOnRecord(const JobOnRecord&) = delete;
    JobOnRecord& operator=(const JobOnRecord&) = delete;

private:
    int jobId_;
};

struct RecordedJob {
    std::string uri;
    int jobId = 0;
};

// The jobs that runs which are gone left on record; their records go.
std::vector<RecordedJob> takeJobsOfEndedRuns();

} // namespace pravik::printers
