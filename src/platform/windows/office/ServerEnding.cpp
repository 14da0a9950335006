#include "ServerEnding.h"

#include "ServerShown.h"

namespace pravik::win {

namespace {

// How often pending servers are looked at again.
constexpr auto kRecheck = std::chrono::milliseconds(250);

} // namespace

ServerEnding::ServerEnding(std::function<bool(const std::wstring&)> stillSpooling)
    : stillSpooling_(std::move(stillSpooling))
{
}

ServerEnding::~ServerEnding()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !looping_; });
    if (thread_.joinable())
        thread_.join();
}

void ServerEnding::endAt(HeldProcess process, std::chrono::steady_clock::time_point when, std::wstring printer)
{
    std::lock_guard lock(mutex_);
    pending_.push_back({std::move(process), when, std::move(printer)});
    if (looping_)
        return;
    // The earlier loop has left, or is just leaving without the lock.
    if (thread_.joinable())
        thread_.join();
    looping_ = true;
    thread_ = std::thread([this] { loop(); });
}

void ServerEnding::loop()
{
    std::unique_lock lock(mutex_);
    while (!pending_.empty()) {
        for (auto it = pending_.begin(); it != pending_.end();) {
            if (!it->process.running()) {
                it = pending_.erase(it);
                continue;
            }
            if (std::chrono::steady_clock::now() >= it->when) {
                const std::wstring printer = it->printer;
                // Not under the lock: the spooler takes a moment to look twice.
                lock.unlock();
                const bool spooling = !printer.empty() && stillSpooling_(printer);
                lock.lock();
                if (!spooling) {
                    // A server that no longer answers may be ended only
                    // when it holds nothing of the user's as far as can be
                    // known: one that shows itself may hold their documents.
                    if (!serverShownToUser(it->process.id()))
                        it->process.end();
                    it = pending_.erase(it);
                    continue;
                }
            }
            ++it;
        }
        changed_.wait_for(lock, kRecheck);
    }
    looping_ = false;
    changed_.notify_all();
}

} // namespace pravik::win
