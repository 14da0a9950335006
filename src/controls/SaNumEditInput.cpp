#include "SaNumEdit.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <optional>

namespace pravik {

namespace {

numedit::Key keyOf(int key)
{
    using numedit::Key;
    switch (key) {
    case Qt::Key_Left: return Key::Left;
    case Qt::Key_Right: return Key::Right;
    case Qt::Key_Up: return Key::Up;
    case Qt::Key_Down: return Key::Down;
    case Qt::Key_Home: return Key::Home;
    case Qt::Key_End: return Key::End;
    case Qt::Key_PageUp: return Key::PageUp;
    case Qt::Key_PageDown: return Key::PageDown;
    case Qt::Key_Backspace: return Key::Backspace;
    case Qt::Key_Delete: return Key::Delete;
    case Qt::Key_A: return Key::A;
    case Qt::Key_C: return Key::C;
    case Qt::Key_V: return Key::V;
    case Qt::Key_X: return Key::X;
    default: return Key::Other;
    }
}

numedit::Modifiers modifiersOf(const QKeyEvent* event)
{
    const Qt::KeyboardModifiers m = event->modifiers();
    return {m.testFlag(Qt::ShiftModifier), m.testFlag(Qt::ControlModifier), m.testFlag(Qt::AltModifier)};
}

// The character a key press types, as the character step sees it: Ctrl with
// a letter gives its control code; Alt combinations and keys that type
// nothing give none.
std::optional<char32_t> charOf(const QKeyEvent* event, numedit::Modifiers m)
{
    const int key = event->key();
    if (m.alt)
        return std::nullopt;
    if (m.ctrl) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return static_cast<char32_t>(key - Qt::Key_A + 1);
        return std::nullopt;
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return U'\r';
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Backspace:
        return 8;
    default:
        break;
    }
    const QList<uint> text = event->text().toUcs4();
    if (text.isEmpty() || text.front() < 0x20 || text.front() == 0x7F)
        return std::nullopt;
    return numedit::halfWidth(text.front());
}

} // namespace

bool TSaNumEdit::event(QEvent* event)
{
    // Keys the control acts on must not be taken by the window's shortcuts.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const numedit::Modifiers m = modifiersOf(key);
        const std::optional<char32_t> c = charOf(key, m);
        const bool wanted = c && (*c >= 0x20 || (value_.enterFocusMove && (*c == U'\r' || *c == 27)));
        if (numedit::Value::takesKey(keyOf(key->key()), m) || wanted) {
            key->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void TSaNumEdit::keyPressEvent(QKeyEvent* event)
{
    const numedit::Modifiers m = modifiersOf(event);
    const numedit::KeyOutcome outcome = value_.keyDown(keyOf(event->key()), m);
    if (outcome.handled) {
        event->accept();
        moveFocus(outcome.focus);
        stepDone();
        return;
    }
    const std::optional<char32_t> c = charOf(event, m);
    // Without EnterFocusMove the control does not ask for Enter and Escape:
    // they stay with the window's default and cancel buttons.
    if (!c || ((*c == U'\r' || *c == 27) && !value_.enterFocusMove)) {
        event->ignore();
        return;
    }
    event->accept();
    moveFocus(value_.typeChar(*c));
    stepDone();
}

void TSaNumEdit::inputMethodEvent(QInputMethodEvent* event)
{
    for (const uint c : event->commitString().toUcs4())
        moveFocus(value_.typeChar(numedit::halfWidth(c)));
    event->accept();
    stepDone();
}

QVariant TSaNumEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return imeMode_ != imDisable;
    case Qt::ImCursorRectangle:
        return caretRect();
    case Qt::ImHints:
        return int(Qt::ImhFormattedNumbersOnly | Qt::ImhNoPredictiveText);
    case Qt::ImSurroundingText:
        return text();
    case Qt::ImCursorPosition:
        return int(text().size());
    case Qt::ImAnchorPosition:
        return value_.selected() ? 0 : int(text().size());
    default:
        return QWidget::inputMethodQuery(query);
    }
}

// Posted like a dialog's next-control request: the move happens once this
// key has been dealt with, from whichever control has the focus then.
void TSaNumEdit::moveFocus(numedit::FocusRequest request)
{
    if (request == numedit::FocusRequest::None)
        return;
    const bool next = request == numedit::FocusRequest::Next;
    QMetaObject::invokeMethod(this, [this, next] { focusNextPrevChild(next); }, Qt::QueuedConnection);
}

void TSaNumEdit::stepDone()
{
    restartCaret();
    updateMicroFocus();
}

// Opening and closing a popup (the context menu) moves the focus only in
// Qt's eyes: the selection must survive it.
void TSaNumEdit::focusInEvent(QFocusEvent* event)
{
    if (event->reason() != Qt::PopupFocusReason)
        value_.focusEntered();
    restartCaret();
    QWidget::focusInEvent(event);
}

void TSaNumEdit::focusOutEvent(QFocusEvent* event)
{
    if (event->reason() != Qt::PopupFocusReason)
        value_.focusLeft();
    caretTimer_.stop();
    caretShown_ = false;
    update();
    QWidget::focusOutEvent(event);
}

void TSaNumEdit::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton)
        value_.dropSelection();
    update();
}

void TSaNumEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton)
        value_.selectAll();
    update();
}

void TSaNumEdit::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const numedit::Placement at = placementFor(value_.text());
    const int x = static_cast<int>(event->position().x()) - clientRect().left();
    if (x >= at.numberX && x <= at.numberRight() && !value_.selected()) {
        value_.selectAll();
        update();
    }
}

} // namespace pravik
