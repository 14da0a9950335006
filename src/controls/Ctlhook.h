#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

class QWidget;
class QEvent;

namespace pravik {

enum THookTarget { htControl = 0, htForm = 1 };
// ceCreated: hooked onto a widget; ceUnhooked: about to let go of it.
enum TControlEvent { ceCreated = 0, ceDestroyed = 1, ceRecreated = 2, ceUnhooked = 3 };

// Sees every event of a widget before the widget does, without the widget's
// class knowing: an event filter in front of `Control`, or of the window
// that holds it. Follows the widget's native window being destroyed and
// created again, and takes itself out when the hook is moved or destroyed.
class TControlHook : public QObject {
    Q_OBJECT
public:
    explicit TControlHook(QObject* owner = nullptr);
    ~TControlHook() override;

    THookTarget Target() const { return target_; }
    void SetTarget(THookTarget target);
    QWidget* Control() const { return control_; }
    void SetControl(QWidget* control);

    // The widget whose events are seen now; null while unhooked.
    QWidget* hookedControl() const { return hookedControl_; }

protected:
    // Told when the hooked widget's native window goes or comes back.
    virtual void ControlChanged(TControlEvent event);
    // Returns true when the event was handled and must not reach the widget.
    virtual bool HandleMessage(QObject* watched, QEvent* event);
    // The widgets whose events the hook sees: the hooked one and, for a
    // scroll area, its viewport, where mouse and drop events arrive.
    QList<QWidget*> watchedWidgets() const;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* DetectTargetComponent() const;
    void EnableHook(bool enable);

    THookTarget target_ = htControl;
    QPointer<QWidget> control_;
    QPointer<QWidget> hookedControl_;
    QMetaObject::Connection destroyedConnection_;
};

} // namespace pravik
