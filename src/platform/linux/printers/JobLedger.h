#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace pravik::printers {

// What this run has in the print system without knowing how it ends, kept on
// record in the temporary folder so that the next run can finish it when this
// one is killed: jobs waiting for their document, and job requests whose
// answer never came (their job may be made then, or later).

struct RecordedJob {
    std::string uri;
    int jobId = 0;
    std::string title; // the job's name in the queue (UTF-8)
};

struct RecordedCreate {
    int key = 0; // this run's own
    std::string uri;
    std::string title;
    std::time_t asked = 0; // when the request went, by the print system's clock
};

// While one lives, a job this run made is on record as waiting for its
// document: a run ended in the middle of the transfer (a second signal,
// SIGKILL) would leave that job waiting for a document that never comes.
class JobOnRecord {
public:
    JobOnRecord(std::string uri, int jobId, std::string title);
    ~JobOnRecord();
    JobOnRecord(const JobOnRecord&) = delete;
    JobOnRecord& operator=(const JobOnRecord&) = delete;

private:
    int jobId_;
};

// On record from before a job request goes until its answer came; kept
// (keep()) when the answer never came, until forgetCreate().
class CreateOnRecord {
public:
    CreateOnRecord(std::string uri, std::string title, std::time_t asked);
    ~CreateOnRecord();
    CreateOnRecord(const CreateOnRecord&) = delete;
    CreateOnRecord& operator=(const CreateOnRecord&) = delete;

    void keep() { kept_ = true; }

private:
    int key_;
    bool kept_ = false;
};

// This run's job requests without an answer, adopted ones included.
std::vector<RecordedCreate> unansweredCreates();
// Their job was found and cancelled, or it is too old to matter.
void forgetCreate(int key);

// What runs which are gone left on record: their jobs waiting for a document
// are returned and their records go; their unanswered requests become this
// run's own, so that they stay on record until someone finds their job.
std::vector<RecordedJob> takeJobsOfEndedRuns();

// What the runs still going have on record: no job of theirs is touched.
struct OtherRuns {
    std::vector<int> jobIds;
    std::vector<RecordedCreate> creates;
};
OtherRuns recordsOfOtherRuns();

} // namespace pravik::printers
