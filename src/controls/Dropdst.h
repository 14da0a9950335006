#pragma once

#include "Ctlhook.h"

#include <QString>

class QDropEvent;

#include <functional>
#include <string>
#include <vector>

namespace pravik {

class TDropDst;

// Files (CP932 paths, in the order they were dropped), and the drop point in
// the hooked widget's coordinates.
using TFileDropEvent =
    std::function<void(TDropDst* sender, const std::vector<std::string>& files, int x, int y)>;

// Lets the hooked widget accept files dragged from the file manager and
// turns each drop into one OnFileDrop call. Only local files count. A name
// that Shift-JIS cannot hold is refused with a message; the other files of
// the drop still arrive. Drops are taken as a copy or a link, never a move,
// and OnFileDrop runs after the drop event has returned.
class TDropDst : public TControlHook {
    Q_OBJECT
public:
    explicit TDropDst(QObject* owner = nullptr);

    TFileDropEvent OnFileDrop;
    // Shows an error that a drop raised; the drop is finished all the same.
    std::function<void(const QString& message)> OnError;

    bool AcceptDrop() const { return acceptDrop_; }
    void SetAcceptDrop(bool accept);

protected:
    void ControlChanged(TControlEvent event) override;
    bool HandleMessage(QObject* watched, QEvent* event) override;

private:
    void SetDropAccept();
    void FileDrop(QWidget* receiver, QDropEvent* event);

    bool acceptDrop_ = true;
    bool acceptedBefore_ = false;
};

} // namespace pravik
