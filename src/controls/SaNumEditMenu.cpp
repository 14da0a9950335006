#include "SaNumEdit.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>

namespace pravik {

// Built on first use, so a control that never shows its menu never has one.
QMenu* TSaNumEdit::ownMenu()
{
    if (ownMenu_)
        return ownMenu_;
    ownMenu_ = new QMenu(this);
    const auto add = [this](const QString& caption, int tag, void (TSaNumEdit::*run)()) {
        QAction* action = ownMenu_->addAction(caption);
        action->setData(tag);
        connect(action, &QAction::triggered, this, run);
    };
    const auto separate = [this](int tag) { ownMenu_->addSeparator()->setData(tag); };
    add(QStringLiteral("元に戻す(&U)"), mtUndo, &TSaNumEdit::undo);
    separate(1);
    add(QStringLiteral("切り取り(&T)"), mtCut, &TSaNumEdit::cut);
    add(QStringLiteral("コピー(&C)"), mtCopy, &TSaNumEdit::copy);
    add(QStringLiteral("貼り付け(&P)"), mtPaste, &TSaNumEdit::paste);
    add(QStringLiteral("削除(&D)"), mtDelete, &TSaNumEdit::clearSelected);
    separate(6);
    add(QStringLiteral("すべて選択(&A)"), mtSelectAll, &TSaNumEdit::selectAll);
    return ownMenu_;
}

void TSaNumEdit::enableMenu()
{
    const numedit::MenuState state = value_.menuState();
    for (QAction* action : ownMenu()->actions()) {
        switch (action->data().toInt()) {
        case mtUndo: action->setEnabled(state.undo); break;
        case mtCut: action->setEnabled(state.cut); break;
        case mtCopy: action->setEnabled(state.copy); break;
        case mtPaste: action->setEnabled(state.paste); break;
        case mtDelete: action->setEnabled(state.clear); break;
        case mtSelectAll: action->setEnabled(state.selectAll); break;
        default: break;
        }
    }
}

void TSaNumEdit::contextMenuEvent(QContextMenuEvent* event)
{
    setFocus(Qt::OtherFocusReason);
    event->accept();
    if (popupMenu_) {
        popupMenu_->exec(event->globalPos());
        return;
    }
    enableMenu();
    ownMenu()->exec(event->globalPos());
}

void TSaNumEdit::selectAll()
{
    value_.selectAll();
    update();
}

void TSaNumEdit::copy() { value_.copy(); }

void TSaNumEdit::cut()
{
    value_.cut();
    stepDone();
}

void TSaNumEdit::paste()
{
    value_.paste();
    stepDone();
}

void TSaNumEdit::undo()
{
    value_.undo();
    stepDone();
}

void TSaNumEdit::clearSelected()
{
    value_.clearSelected();
    stepDone();
}

} // namespace pravik
