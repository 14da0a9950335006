#include "EventLoopWait.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace pravik {

void EventLoopWait::waitFor(WorkItem& item, WorkClock::time_point until)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - WorkClock::now());
    if (item.done() || left.count() <= 0)
        return;

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(static_cast<int>(std::min<long long>(left.count() + 1, INT_MAX)));
    // Posted from the worker thread; a quit posted to a loop already gone is
    // dropped with it.
    item.onDone([&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); });
    loop.exec();
    item.onDone({});
}

} // namespace pravik
