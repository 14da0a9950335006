#include "Ctlhook.h"

#include "Error.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QWidget>

namespace pravik {

TControlHook::TControlHook(QObject* owner) : QObject(owner) {}

TControlHook::~TControlHook()
{
    EnableHook(false);
}

void TControlHook::SetTarget(THookTarget target)
{
    EnableHook(false);
    target_ = target;
    EnableHook(true);
}

void TControlHook::SetControl(QWidget* control)
{
    EnableHook(false);
    control_ = control;
    EnableHook(true);
}

QWidget* TControlHook::DetectTargetComponent() const
{
    if (target_ == htControl)
        return control_;
    // The window that holds Control, or else the one that owns the hook.
    for (QObject* link = control_ ? static_cast<QObject*>(control_.data()) : parent(); link;
         link = link->parent()) {
        if (auto* widget = qobject_cast<QWidget*>(link))
            return widget->window();
    }
    return nullptr;
}

QList<QWidget*> TControlHook::watchedWidgets() const
{
    QList<QWidget*> widgets;
    if (!hookedControl_)
        return widgets;
    widgets << hookedControl_;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(hookedControl_.data()))
        widgets << area->viewport();
    return widgets;
}

void TControlHook::EnableHook(bool enable)
{
    if (!enable) {
        if (hookedControl_)
            ControlChanged(ceUnhooked);
        for (QWidget* widget : watchedWidgets())
            widget->removeEventFilter(this);
        disconnect(destroyedConnection_);
        hookedControl_ = nullptr;
        return;
    }
    QWidget* target = DetectTargetComponent();
    if (!target) {
        if (target_ == htForm)
            throw Error("フック先を特定できません。");
        return;
    }
    hookedControl_ = target;
    destroyedConnection_ = connect(target, &QObject::destroyed, this, [this] {
        // The widget is going away: nothing to give back, only to forget.
        ControlChanged(ceDestroyed);
        hookedControl_ = nullptr;
    });
    for (QWidget* widget : watchedWidgets())
        widget->installEventFilter(this);
    // Qt has no separate "loaded" step: the widget is in place now.
    ControlChanged(ceCreated);
}

bool TControlHook::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == hookedControl_) {
        if (event->type() == QEvent::WinIdChange)
            ControlChanged(hookedControl_->internalWinId() ? ceRecreated : ceDestroyed);
        else if (event->type() == QEvent::Destroy)
            ControlChanged(ceDestroyed);
    }
    return HandleMessage(watched, event);
}

void TControlHook::ControlChanged(TControlEvent) {}

bool TControlHook::HandleMessage(QObject*, QEvent*)
{
    return false;
}

} // namespace pravik
