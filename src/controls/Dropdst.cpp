#include "Dropdst.h"

#include "QtText.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace pravik {

namespace {

bool carriesLocalFiles(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return false;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return true;
    return false;
}

} // namespace

TDropDst::TDropDst(QObject* owner) : TControlHook(owner) {}

void TDropDst::SetAcceptDrop(bool accept)
{
    if (accept == acceptDrop_)
        return;
    acceptDrop_ = accept;
    SetDropAccept();
}

void TDropDst::ControlChanged(TControlEvent event)
{
    TControlHook::ControlChanged(event);
    if (event == ceCreated)
        acceptedBefore_ = hookedControl() && hookedControl()->acceptDrops();
    if (event == ceUnhooked) {
        // The widget goes back to handling drops as it did before.
        for (QWidget* widget : watchedWidgets())
            widget->setAcceptDrops(acceptedBefore_);
        return;
    }
    SetDropAccept();
}

void TDropDst::SetDropAccept()
{
    for (QWidget* widget : watchedWidgets())
        widget->setAcceptDrops(acceptDrop_);
}

bool TDropDst::HandleMessage(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (acceptDrop_ && carriesLocalFiles(drag->mimeData()))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop:
        if (acceptDrop_)
            FileDrop(qobject_cast<QWidget*>(watched), static_cast<QDropEvent*>(event));
        return true;
    default:
        return TControlHook::HandleMessage(watched, event);
    }
}

void TDropDst::FileDrop(QWidget* receiver, QDropEvent* event)
{
    event->acceptProposedAction();
    if (!OnFileDrop)
        return;
    std::vector<std::string> files;
    QStringList refused;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile())
            continue;
        try {
            files.push_back(pathFromQString(url.toLocalFile()));
        } catch (const std::exception& error) {
            refused << QString::fromUtf8(error.what());
        }
    }
    // The point is in the hooked widget's coordinates, also when the drop
    // arrived at a scroll area's viewport.
    QPoint point = event->position().toPoint();
    if (receiver && receiver != hookedControl())
        point = receiver->mapTo(hookedControl(), point);
    try {
        if (!files.empty())
            OnFileDrop(this, files, point.x(), point.y());
    } catch (const std::exception& error) {
        refused << QString::fromUtf8(error.what());
    }
    if (!refused.isEmpty() && OnError)
        OnError(refused.join(QLatin1Char('\n')));
}

} // namespace pravik
