#pragma once

#include <QWidget>

#include <initializer_list>
#include <vector>

namespace pravik {

// Suspends the repainting of some widgets while several rows change, so the
// list is drawn once at the end, however the change ends.
class RepaintSuspended {
public:
    explicit RepaintSuspended(std::initializer_list<QWidget*> widgets)
    {
        for (QWidget* widget : widgets)
            if (widget && widget->updatesEnabled()) {
                widget->setUpdatesEnabled(false);
                suspended_.push_back(widget);
            }
    }
    ~RepaintSuspended()
    {
        for (QWidget* widget : suspended_)
            widget->setUpdatesEnabled(true);
    }
    RepaintSuspended(const RepaintSuspended&) = delete;
    RepaintSuspended& operator=(const RepaintSuspended&) = delete;

private:
    std::vector<QWidget*> suspended_;
};

} // namespace pravik
