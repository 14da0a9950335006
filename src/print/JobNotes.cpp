#include "JobNotes.h"

#include <utility>

namespace pravik::jobnotes {

namespace {

// Per thread: the job in hand on each office's thread has its own notes.
thread_local Taken pending;

} // namespace

void reportAccepted()
{
    pending.accepted = true;
}

void reportCancel(JobCancel cancel)
{
    pending.cancel = std::move(cancel);
}

void report(std::string note)
{
    pending.notes.push_back(std::move(note));
}

Taken take()
{
    return std::exchange(pending, {});
}

std::string failedAfterAcceptance(const std::string& error)
{
    return "印刷ジョブの受け付け後にエラーが発生しました: " + error;
}

std::string failedBeforeHandOver(const std::string& error)
{
    return "印刷ジョブは受け付けられましたが、その前の処理でエラーが発生しました: " + error;
}

} // namespace pravik::jobnotes
