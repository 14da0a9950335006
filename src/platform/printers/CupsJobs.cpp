#include "CupsJobs.h"

#include "Error.h"

#include <cups/cups.h>

#include <algorithm>
#include <thread>

namespace pravik::printers {

namespace {

struct JobList {
    cups_job_t* jobs = nullptr;
    int count = 0;

    explicit JobList(const std::string& queue)
    {
        count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.c_str(), 1, CUPS_WHICHJOBS_ALL);
        if (count < 0)
            throw Error("印刷ジョブを確認できません: " + std::string(cupsLastErrorString()));
    }
    ~JobList() { cupsFreeJobs(count, jobs); }
    JobList(const JobList&) = delete;
    JobList& operator=(const JobList&) = delete;
};

bool ended(ipp_jstate_t state)
{
    return state == IPP_JSTATE_ABORTED || state == IPP_JSTATE_CANCELED;
}

} // namespace

bool queueExists(const std::string& name)
{
    if (name.empty())
        return false;
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.c_str(), nullptr);
    if (dest) {
        cupsFreeDests(1, dest);
        return true;
    }
    const ipp_status_t status = cupsLastError();
    if (status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || status == IPP_STATUS_ERROR_INTERNAL)
        throw Error("印刷システムに接続できません: " + std::string(cupsLastErrorString()));
    return false;
}

std::string defaultQueue()
{
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (!dest)
        return {};
    std::string name = dest->name;
    cupsFreeDests(1, dest);
    return name;
}

QueueWatch::QueueWatch(std::string queue) : queue_(std::move(queue))
{
    const JobList list(queue_);
    for (int i = 0; i < list.count; ++i)
        lastJobBefore_ = std::max(lastJobBefore_, list.jobs[i].id);
}

std::vector<int> QueueWatch::awaitAccepted(std::chrono::milliseconds limit,
                                           const std::function<void()>& idle) const
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        std::vector<int> fresh;
        {
            const JobList list(queue_);
            for (int i = 0; i < list.count; ++i) {
                const cups_job_t& job = list.jobs[i];
                if (job.id <= lastJobBefore_)
                    continue;
                if (ended(job.state))
                    throw Error("プリンタ " + queue_ + " の印刷ジョブ " + std::to_string(job.id)
                                + " が中止されました");
                fresh.push_back(job.id);
            }
        }
        if (!fresh.empty()) {
            std::sort(fresh.begin(), fresh.end());
            return fresh;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            throw Error("プリンタ " + queue_ + " が印刷ジョブを受け付けませんでした");
        if (idle)
            idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace pravik::printers
