#pragma once

#include "AutomationWorker.h"

namespace pravik {

// Passes the wait for office work in the GUI thread's event loop: windows
// repaint and take input (the progress dialog's Abort button) meanwhile.
class EventLoopWait final : public WorkWait {
public:
    void waitFor(WorkItem& item, WorkClock::time_point until) override;
};

} // namespace pravik
