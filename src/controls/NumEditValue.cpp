#include "NumEditValue.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace pravik::numedit {

void Value::setText(std::string_view utf8)
{
    if (utf8 == value_)
        return;
    value_ = stripLeadingZeros(normalise(utf8, limits_).text);
    if (displayText().empty())
        selected_ = false;
}

void Value::setIntegerLength(int length)
{
    if (length < 0)
        return;
    limits_.integerLength = length;
    renormalise();
}

void Value::setDecimalLength(int length)
{
    if (length < 0)
        return;
    limits_.decimalLength = length;
    renormalise();
}

void Value::setMinus(bool on)
{
    limits_.minus = on;
    renormalise();
}

// The undo text is kept valid too, so that undo can never bring back a value
// the new limits forbid.
void Value::renormalise()
{
    value_ = normalise(value_, limits_).text;
    undo_ = normalise(undo_, limits_).text;
}

void Value::refuse() const
{
    if (errorBeep && onBeep)
        onBeep();
}

bool Value::fitsRoom(const std::string& candidate) const
{
    return !(options & eoORInputStop) || !fits || fits(candidate);
}

// The undo text is the value from before the whole step, including the
// clearing of a selected value, so undo after overtyping brings it back.
void Value::commit(std::string candidate)
{
    undo_ = value_;
    hasUndo_ = true;
    selected_ = false;
    const bool changed = candidate != value_;
    value_ = std::move(candidate);
    if (changed && onChange)
        onChange();
}

void Value::step(long by)
{
    if (readOnly)
        return;
    // Whole numbers only: the integer part steps, an empty box counts as
    // below the minimum.
    long now = stepMinimum - 1;
    if (!value_.empty() && value_ != "-")
        now = std::strtol(value_.c_str(), nullptr, 10);
    const long next = std::max(now + by, stepMinimum);
    std::string candidate = std::to_string(next);
    if (candidate == value_)
        return;
    if (next < 0 && !limits_.minus)
        return refuse();
    if (normalise(candidate, limits_).text != candidate || !fitsRoom(candidate))
        return refuse();
    commit(std::move(candidate));
}

FocusRequest Value::refused() const
{
    refuse();
    return FocusRequest::None;
}

FocusRequest Value::typeChar(char32_t c)
{
    if (c == U'\r') {
        if (enterFocusMove)
            return FocusRequest::Next;
        if (!readOnly)
            refuse();
        return FocusRequest::None;
    }
    if (readOnly)
        return FocusRequest::None;

    const std::string from = base();
    std::string candidate;
    if (c >= U'0' && c <= U'9') {
        // Counted after stripping, so "0" then "5" works in a one-digit field.
        candidate = stripLeadingZeros(from + static_cast<char>(c));
        if (hasPoint(from) ? decimalDigits(from) >= limits_.decimalLength
                           : integerDigits(candidate) > limits_.integerLength)
            return refused();
    } else if (c == U'.') {
        if (limits_.decimalLength == 0 || hasPoint(from))
            return refused();
        candidate = stripLeadingZeros(from + '.');
    } else if (c == U'-') {
        if (!limits_.minus)
            return refused();
        candidate = !from.empty() && from.front() == '-' ? from.substr(1) : "-" + from;
    } else if (c == 8 || c == 1 || c == 3 || c == 22 || c == 24) {
        return FocusRequest::None; // Backspace and Ctrl+A/C/V/X: done as keys
    } else {
        return refused();
    }
    if (!fitsRoom(candidate))
        return refused();
    commit(std::move(candidate));
    return FocusRequest::None;
}

Value::KeyAction Value::actionOf(Key key, Modifiers m)
{
    const bool alone = !m.shift && !m.ctrl && !m.alt;
    const bool shiftOnly = m.shift && !m.ctrl && !m.alt;
    const bool ctrlOnly = m.ctrl && !m.shift && !m.alt;
    switch (key) {
    case Key::Left:
    case Key::Right:
        return shiftOnly ? KeyAction::SelectAll : alone ? KeyAction::DropSelection : KeyAction::None;
    case Key::Home:
    case Key::End:
    case Key::PageUp:
    case Key::PageDown:
        return alone ? KeyAction::DropSelection : KeyAction::None;
    case Key::Up:
        return alone ? KeyAction::Up : KeyAction::None;
    case Key::Down:
        return alone ? KeyAction::Down : KeyAction::None;
    case Key::A:
        return ctrlOnly ? KeyAction::SelectAll : KeyAction::None;
    case Key::C:
        return ctrlOnly ? KeyAction::Copy : KeyAction::None;
    case Key::X:
        return ctrlOnly ? KeyAction::Cut : KeyAction::None;
    case Key::V:
        return ctrlOnly ? KeyAction::Paste : KeyAction::None;
    case Key::Backspace:
    case Key::Delete:
        return alone ? KeyAction::Delete : KeyAction::None;
    case Key::Other:
        break;
    }
    return KeyAction::None;
}

bool Value::takesKey(Key key, Modifiers modifiers)
{
    return actionOf(key, modifiers) != KeyAction::None;
}

KeyOutcome Value::keyDown(Key key, Modifiers modifiers)
{
    KeyOutcome outcome{true, FocusRequest::None};
    switch (actionOf(key, modifiers)) {
    case KeyAction::None:
        return {};
    case KeyAction::SelectAll:
        selectAll();
        break;
    case KeyAction::DropSelection:
        dropSelection();
        break;
    case KeyAction::Up:
        dropSelection();
        if (arrowFocusMove && (options & eoArrowUp))
            outcome.focus = FocusRequest::Previous;
        else if (arrowStep)
            step(1);
        break;
    case KeyAction::Down:
        dropSelection();
        if (arrowFocusMove && (options & eoArrowDown))
            outcome.focus = FocusRequest::Next;
        else if (arrowStep)
            step(-1);
        break;
    case KeyAction::Copy:
        copy();
        break;
    case KeyAction::Cut:
        cut();
        break;
    case KeyAction::Paste:
        paste();
        break;
    case KeyAction::Delete:
        deleteBack();
        break;
    }
    return outcome;
}

void Value::copy()
{
    if (!selected() || !clipboard_)
        return;
    // An empty selection would only wipe what the user had on the clipboard.
    const std::string text = imageCopy ? displayText() : value_;
    if (!text.empty())
        clipboard_->setText(text);
}

// Only a selected value is cut: without a selection there is nothing on the
// clipboard to show for the digit a plain delete would remove.
void Value::cut()
{
    if (readOnly || !selected())
        return;
    copy();
    commit({});
}

void Value::paste()
{
    if (readOnly || !clipboard_ || !clipboard_->hasText())
        return;
    const std::string pasted = clipboard_->text();
    const Normalised joined = normalise(selected() ? pasted : value_ + pasted, limits_);
    // Too many digits is refused like a typed digit, rather than wiping the value.
    if (joined.tooLong) {
        refuse();
        return;
    }
    std::string candidate = stripLeadingZeros(joined.text);
    if (!fitsRoom(candidate)) {
        refuse();
        return;
    }
    commit(std::move(candidate));
}

void Value::undo()
{
    if (readOnly || !hasUndo_)
        return;
    std::swap(value_, undo_);
    selectAll();
    if (value_ != undo_ && onChange)
        onChange();
}

void Value::deleteBack()
{
    if (readOnly)
        return;
    if (selected()) {
        commit({});
        return;
    }
    if (value_.empty())
        return;
    std::string candidate = value_;
    candidate.pop_back();
    if (!candidate.empty() && candidate.back() == '.')
        candidate.pop_back();
    commit(std::move(candidate));
}

void Value::clearSelected()
{
    if (!readOnly && selected())
        commit({});
}

void Value::focusEntered()
{
    if (autoSelect)
        selectAll();
}

void Value::focusLeft()
{
    if (value_ == "-" && !(options & eoMinusOnly)) {
        value_.clear();
        if (onChange)
            onChange();
    }
    if (hideSelection)
        dropSelection();
}

MenuState Value::menuState() const
{
    MenuState s;
    s.undo = hasUndo_ && !readOnly;
    const bool chosen = selected();
    s.cut = chosen && !readOnly;
    s.copy = chosen;
    s.paste = clipboard_ && clipboard_->hasText() && !readOnly;
    s.clear = chosen && !readOnly;
    s.selectAll = !chosen && !value_.empty();
    return s;
}

} // namespace pravik::numedit
