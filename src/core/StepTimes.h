#pragma once

#include <atomic>

// The moments a job passes (its office started, its document loaded...), for
// the benchmark that shows where the time of a job goes. Without a recorder,
// which is always so outside that benchmark, a step costs one atomic load.
namespace pravik::steps {

using Recorder = void (*)(const char* step);

inline std::atomic<Recorder> recorder{nullptr};

inline void reached(const char* step)
{
    if (const Recorder record = recorder.load(std::memory_order_relaxed))
        record(step);
}

} // namespace pravik::steps
