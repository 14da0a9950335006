#pragma once

#include "OfficeScript.h"
#include "RecordingBackend.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

namespace pravik::test {

// A recording backend that notes the thread of every call and can hold an
// object creation until the test opens the gate, or until the call is
// abandoned, as a stalled server would be.
class GatedBackend : public AutomationBackend {
public:
    std::shared_ptr<RecordingBackend> recording = std::make_shared<RecordingBackend>();

    GatedBackend() { scriptOffice(*recording); }

    void checkDocument(const std::string& path) override { recording->checkDocument(path); }

    ObjectRef createObject(const std::string& progId) override
    {
        note();
        {
            std::unique_lock lock(mutex_);
            if (holdNext_) {
                holdNext_ = false;
                held_ = true;
                changed_.notify_all();
                changed_.wait(lock, [this] { return open_ || abandoned_; });
                held_ = false;
                if (abandoned_)
                    throw std::runtime_error("the server went away");
            }
        }
        return recording->createObject(progId);
    }
    Variant invoke(const ObjectRef& target, const Invocation& call) override
    {
        note();
        return recording->invoke(target, call);
    }
    std::string serverName(const std::string& progId) const override { return recording->serverName(progId); }
    void enterThread() override { note(); }
    void leaveThread() override { note(); }
    void abandon() override
    {
        std::lock_guard lock(mutex_);
        abandoned_ = true;
        ++abandons_;
        changed_.notify_all();
    }

    // The next creation waits at the gate.
    void holdNextCreation()
    {
        std::lock_guard lock(mutex_);
        holdNext_ = true;
        open_ = false;
        abandoned_ = false;
    }
    bool holding() const
    {
        std::lock_guard lock(mutex_);
        return held_;
    }
    void openGate()
    {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    int abandons() const
    {
        std::lock_guard lock(mutex_);
        return abandons_;
    }
    std::set<std::thread::id> threads() const
    {
        std::lock_guard lock(mutex_);
        return threads_;
    }

private:
    void note()
    {
        std::lock_guard lock(mutex_);
        threads_.insert(std::this_thread::get_id());
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::set<std::thread::id> threads_;
    bool holdNext_ = false;
    bool held_ = false;
    bool open_ = false;
    bool abandoned_ = false;
    int abandons_ = 0;
};

} // namespace pravik::test
