#include "JobNotes.h"

#include <mutex>
#include <utility>

namespace pravik::jobnotes {

namespace {

std::mutex guard;
Taken pending;

} // namespace

void reportAccepted()
{
    const std::lock_guard lock(guard);
    pending.accepted = true;
}

void report(std::string note)
{
    const std::lock_guard lock(guard);
    pending.notes.push_back(std::move(note));
}

Taken take()
{
    const std::lock_guard lock(guard);
    return std::exchange(pending, {});
}

} // namespace pravik::jobnotes
