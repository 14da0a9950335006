#include "FileExistence.h"

#include "TextCodec.h"

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>

namespace pravik {

namespace {

constexpr int refreshIntervalMs = 5000;
// Answers are handed to the window in batches, so a long list costs a few
// repaints rather than one per row.
constexpr size_t batchSize = 64;

bool existsOnDisk(const std::string& cp932Path)
{
    try {
        std::error_code ec;
        return std::filesystem::exists(codec::toOsPath(cp932Path), ec);
    } catch (const codec::ConversionError&) {
        return false;
    }
}

} // namespace

// What the window and the checking thread share. The thread may outlive the
// window's object: a check can hang on an unreachable folder for minutes,
// and closing the window must not wait for it.
struct FileExistence::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::string> queue;
    FileExistence* owner = nullptr; // null once the owner is gone
    Probe probe = existsOnDisk;
    bool started = false;

    void run()
    {
        std::vector<std::pair<std::string, bool>> batch;
        std::unique_lock lock(mutex);
        for (;;) {
            if (queue.empty() || batch.size() >= batchSize) {
                deliver(batch);
                batch.clear();
            }
            wake.wait(lock, [&] { return !queue.empty() || !owner; });
            if (!owner)
                return;
            std::string path = std::move(queue.front());
            queue.pop_front();
            const Probe check = probe;
            lock.unlock();
            const bool exists = check(path);
            lock.lock();
            batch.emplace_back(std::move(path), exists);
        }
    }

    // Called with the mutex held, so the owner cannot go away meanwhile; its
    // destruction drops a batch that is still on its way.
    void deliver(const std::vector<std::pair<std::string, bool>>& batch)
    {
        if (batch.empty() || !owner)
            return;
        FileExistence* target = owner;
        QMetaObject::invokeMethod(
            target, [target, batch] { target->receive(batch); }, Qt::QueuedConnection);
    }
};

FileExistence::FileExistence(QObject* parent) : QObject(parent), shared_(std::make_shared<Shared>())
{
    shared_->owner = this;
    refreshTimer_.setInterval(refreshIntervalMs);
    connect(&refreshTimer_, &QTimer::timeout, this, &FileExistence::refresh);
}

FileExistence::~FileExistence()
{
    std::lock_guard lock(shared_->mutex);
    shared_->owner = nullptr;
    shared_->queue.clear();
    shared_->wake.notify_all();
}

void FileExistence::setProbe(Probe probe)
{
    std::lock_guard lock(shared_->mutex);
    shared_->probe = std::move(probe);
}

bool FileExistence::exists(const std::string& cp932Path)
{
    const auto [it, inserted] = known_.try_emplace(cp932Path);
    if (inserted)
        queue({cp932Path});
    return it->second.exists;
}

void FileExistence::refresh()
{
    std::vector<std::string> paths;
    for (const auto& [path, known] : known_)
        if (!known.queued)
            paths.push_back(path);
    queue(paths);
}

void FileExistence::keepOnly(const std::unordered_set<std::string>& paths)
{
    std::erase_if(known_, [&](const auto& item) { return !paths.contains(item.first); });
}

void FileExistence::queue(const std::vector<std::string>& paths)
{
    if (paths.empty())
        return;
    for (const std::string& path : paths)
        known_[path].queued = true;
    std::lock_guard lock(shared_->mutex);
    shared_->queue.insert(shared_->queue.end(), paths.begin(), paths.end());
    if (!shared_->started) {
        shared_->started = true;
        std::thread([shared = shared_] { shared->run(); }).detach();
        refreshTimer_.start();
    }
    shared_->wake.notify_one();
}

void FileExistence::receive(const std::vector<std::pair<std::string, bool>>& results)
{
    std::vector<std::string> differ;
    for (const auto& [path, exists] : results) {
        const auto it = known_.find(path);
        if (it == known_.end())
            continue; // forgotten meanwhile
        it->second.queued = false;
        if (it->second.exists != exists) {
            it->second.exists = exists;
            differ.push_back(path);
        }
    }
    if (!differ.empty())
        emit changed(differ);
}

} // namespace pravik
