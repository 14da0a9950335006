#include "PrintPastDeadline.h"

#include "SpoolProgress.h"
#include "WideText.h"

#include <winspool.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace pravik::win {

namespace {

// How often a settling look asks the spooler again.
constexpr auto kSettleRecheck = std::chrono::milliseconds(500);

bool printed(DWORD status)
{
    return status & (JOB_STATUS_PRINTED | JOB_STATUS_COMPLETE);
}

} // namespace

std::optional<JobPastDeadline> jobPastDeadline(std::shared_ptr<printers::SpoolerCalls> spooler,
                                               const std::wstring& printer, const std::set<DWORD>& before,
                                               std::chrono::seconds deadline)
{
    const auto now = printers::jobsOfUser(*spooler, printer);
    if (!now)
        return std::nullopt;
    std::vector<DWORD> since;
    for (const auto& [id, status] : *now)
        if (!before.contains(id))
            since.push_back(id);
    if (since.empty())
        return std::nullopt;
    const std::string limit = "制限時間 (" + std::to_string(deadline.count()) + " 秒) ";
    const std::string name = utf8Of(printer);
    std::string text = limit + "内に印刷が終わりませんでしたが、印刷ジョブはプリンター " + name
        + " に送られています。印刷されたかどうかを確かめてください";
    auto settle = [spooler, printer, since, text, done = limit + "を過ぎた後、印刷ジョブはプリンター " + name
                                                   + " で印刷されました"](OutcomeUnknown::Clock::time_point until) {
        for (;;) {
            // A job that has left the queue was printed; one the spooler
            // cannot be asked about stays unknown.
            if (const auto jobs = printers::jobsOfUser(*spooler, printer)) {
                const bool left = std::all_of(since.begin(), since.end(), [&](DWORD id) {
                    const auto found = jobs->find(id);
                    return found == jobs->end() || printed(found->second);
                });
                if (left)
                    return Settlement{Settlement::Outcome::Printed, done};
            }
            if (OutcomeUnknown::Clock::now() >= until)
                return Settlement{Settlement::Outcome::Unknown, text};
            std::this_thread::sleep_for(kSettleRecheck);
        }
    };
    return JobPastDeadline{std::move(text), std::move(settle)};
}

} // namespace pravik::win
