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

// The file manager is only ever told that the files were copied or linked:
// a list entry refers to the file, it never takes it away (Shift would
// otherwise propose a move).
bool acceptAsCopyOrLink(QDropEvent* event)
{
    const Qt::DropActions possible = event->possibleActions();
    if (possible & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    else if (possible & Qt::LinkAction)
        event->setDropAction(Qt::LinkAction);
    else
        return false;
    event->accept();
    return true;
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
        if (!acceptDrop_ || !carriesLocalFiles(drag->mimeData()) || !acceptAsCopyOrLink(drag))
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (acceptDrop_ && acceptAsCopyOrLink(drop))
            FileDrop(qobject_cast<QWidget*>(watched), drop);
        else
            drop->ignore();
        return true;
    }
    default:
        return TControlHook::HandleMessage(watched, event);
    }
}

void TDropDst::FileDrop(QWidget* receiver, QDropEvent* event)
{
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
    // The files are handled once the drop has returned: the file manager
    // waits for the drop to finish, and must not wait on our message boxes.
    QMetaObject::invokeMethod(
        this,
        [this, files = std::move(files), refused, point]() mutable {
            try {
                if (!files.empty() && OnFileDrop)
                    OnFileDrop(this, files, point.x(), point.y());
            } catch (const std::exception& error) {
                refused << QString::fromUtf8(error.what());
            }
            if (!refused.isEmpty() && OnError)
                OnError(refused.join(QLatin1Char('\n')));
        },
        Qt::QueuedConnection);
}

} // namespace pravik
