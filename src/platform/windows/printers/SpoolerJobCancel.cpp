#include "SpoolerJobCancel.h"

#include "UserJobs.h"

#include <winspool.h>

#include <algorithm>
#include <memory>

namespace pravik::printers {

namespace {

std::wstring defaultPrinterName(SpoolerCalls& spooler)
{
    wchar_t name[512];
    DWORD size = 512;
    return spooler.defaultPrinter(name, &size) ? std::wstring(name) : std::wstring();
}

std::string howFar(const UserJob& job)
{
    if (job.pagesPrinted > 0)
        return "（取り消すまでに " + std::to_string(job.pagesPrinted) + " ページ印刷されていました）";
    if (!(job.status & (JOB_STATUS_PRINTING | JOB_STATUS_PRINTED)))
        return "（まだ印刷は始まっていませんでした）";
    return "（どこまで印刷されたかはわかりません。プリンターの用紙を確かめてください）";
}

bool deleteJob(const std::wstring& printer, DWORD id)
{
    HANDLE handle = nullptr;
    if (!::OpenPrinterW(const_cast<wchar_t*>(printer.c_str()), &handle, nullptr))
        return false;
    const std::unique_ptr<void, BOOL (*)(HANDLE)> closing(handle, &::ClosePrinter);
    return ::SetJobW(handle, id, 0, nullptr, JOB_CONTROL_DELETE) != FALSE;
}

} // namespace

JobsBeforePrint::JobsBeforePrint(SpoolerCalls& spooler, std::wstring printer)
    : printer_(printer.empty() ? defaultPrinterName(spooler) : std::move(printer))
{
    if (printer_.empty())
        return;
    if (const std::optional<std::vector<UserJob>> jobs = userJobs(spooler, printer_)) {
        before_.emplace();
        for (const UserJob& job : *jobs)
            before_->push_back(job.id);
    }
}

std::set<DWORD> JobsBeforePrint::ids() const
{
    return before_ ? std::set<DWORD>(before_->begin(), before_->end()) : std::set<DWORD>();
}

jobnotes::JobCancel JobsBeforePrint::cancelOfNewJobs(const std::shared_ptr<SpoolerCalls>& spooler) const
{
    if (!before_)
        return {};
    const std::optional<std::vector<UserJob>> now = userJobs(*spooler, printer_);
    if (!now)
        return {};
    std::vector<DWORD> added;
    for (const UserJob& job : *now)
        if (std::find(before_->begin(), before_->end(), job.id) == before_->end())
            added.push_back(job.id);
    // Printed and gone already: nothing is left to take back.
    if (added.empty())
        return {};
    return [spooler, printer = printer_, added](OutcomeUnknown::Clock::time_point) -> Settlement {
        const std::optional<std::vector<UserJob>> jobs = userJobs(*spooler, printer);
        std::string told;
        bool cancelled = false;
        for (const DWORD id : added) {
            const auto job = jobs ? std::find_if(jobs->begin(), jobs->end(), [id](const UserJob& seen) { return seen.id == id; })
                                  : std::vector<UserJob>::const_iterator();
            if (!jobs || job == jobs->end())
                continue; // printed and gone
            if (!deleteJob(printer, id))
                return {Settlement::Outcome::Unknown, "印刷ジョブを取り消せませんでした。プリンターの待ち行列を確かめてください"};
            cancelled = true;
            told = howFar(*job);
        }
        if (!cancelled)
            return {Settlement::Outcome::Printed, "取り消す前に印刷ジョブの印刷は終わっていました"};
        return {Settlement::Outcome::Failed, "中止したため印刷ジョブを取り消しました" + told};
    };
}

} // namespace pravik::printers
