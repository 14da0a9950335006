#pragma once

#include "NumEditText.h"

#include <functional>
#include <string>
#include <string_view>

namespace pravik {

// Option bits of the numeric edit control.
enum TSaNumEditOption : unsigned {
    eoMinusOnly = 1u << 0,     // a lone "-" survives leaving the control
    eoArrowUp = 1u << 1,       // Up moves the focus back (with ArrowFocusMove)
    eoArrowDown = 1u << 2,     // Down moves the focus on (with ArrowFocusMove)
    eoAutoWidthSize = 1u << 3, // design-time sizing only: no effect here
    eoORInputStop = 1u << 4,   // refuse input that would not fit between the margins
};
using TSaNumEditOptions = unsigned;

namespace numedit {

// The clipboard as the control sees it: UTF-8 text.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual bool hasText() const = 0;
    virtual std::string text() const = 0;
    virtual void setText(const std::string& utf8) = 0;
};

enum class FocusRequest { None, Next, Previous };

enum class Key { Other, Left, Right, Up, Down, Home, End, PageUp, PageDown, Backspace, Delete, A, C, V, X };

struct Modifiers {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

struct KeyOutcome {
    bool handled = false; // the key belongs to the control and goes no further
    FocusRequest focus = FocusRequest::None;
};

struct MenuState {
    bool undo = false;
    bool cut = false;
    bool copy = false;
    bool paste = false;
    bool clear = false;
    bool selectAll = false;
};

// The value, selection and undo of the numeric edit control, with every user
// step. Keeps the value valid under the limits at all times.
class Value {
public:
    // Raised after a user step changed the value text (never by writes).
    std::function<void()> onChange;
    // Refused input, when errorBeep is on.
    std::function<void()> onBeep;
    // With eoORInputStop: whether this candidate value would fit.
    std::function<bool(const std::string& value)> fits;

    void setClipboard(Clipboard* clipboard) { clipboard_ = clipboard; }

    const std::string& text() const { return value_; }
    // Normalises and strips leading zeros; no undo, no onChange.
    void setText(std::string_view utf8);
    std::string displayText() const { return formatDisplay(value_, limits_, format_); }
    std::string numberText() const { return formatNumber(value_, limits_, format_); }

    // All or nothing, and nothing while nothing is shown.
    bool selected() const { return selected_ && !displayText().empty(); }
    void selectAll() { selected_ = !displayText().empty(); }
    void dropSelection() { selected_ = false; }
    bool canUndo() const { return hasUndo_; }

    const Limits& limits() const { return limits_; }
    const Format& format() const { return format_; }
    // Negative lengths are ignored. The value is normalised again.
    void setIntegerLength(int length);
    void setDecimalLength(int length);
    void setMinus(bool on);
    void setComma(bool on) { format_.comma = on; }
    void setIntegerFixed(bool on) { format_.integerFixed = on; }
    void setDecimalFixed(bool on) { format_.decimalFixed = on; }
    void setLeftMark(std::string utf8) { format_.leftMark = std::move(utf8); }
    void setRightMark(std::string utf8) { format_.rightMark = std::move(utf8); }

    bool readOnly = false;
    bool errorBeep = true;
    bool enterFocusMove = false;
    bool arrowFocusMove = false;
    // Up and Down add or take one, as in a spin box, where they do not move
    // the focus; Down stops at `stepMinimum`.
    bool arrowStep = false;
    long stepMinimum = 0;
    bool imageCopy = false;
    bool autoSelect = true;
    bool hideSelection = true;
    TSaNumEditOptions options = eoArrowUp | eoArrowDown;

    // The character step; every character is consumed. Ctrl+letter arrives
    // as its control code (1 for A).
    FocusRequest typeChar(char32_t c);
    // The key-down step.
    KeyOutcome keyDown(Key key, Modifiers modifiers);
    // Whether keyDown takes this key (so shortcuts must not).
    static bool takesKey(Key key, Modifiers modifiers);

    void copy();
    void cut();
    void paste();
    void undo();
    void deleteBack(); // Backspace and Delete
    void clearSelected(); // the menu's delete entry

    void focusEntered();
    void focusLeft();

    MenuState menuState() const;

private:
    enum class KeyAction { None, SelectAll, DropSelection, Up, Down, Copy, Cut, Paste, Delete };
    static KeyAction actionOf(Key key, Modifiers modifiers);

    // What a typed character starts from: empty when the selection is replaced.
    std::string base() const { return selected() ? std::string() : value_; }
    void refuse() const;
    FocusRequest refused() const;
    bool fitsRoom(const std::string& candidate) const;
    void commit(std::string candidate);
    void renormalise();
    void step(long by);

    std::string value_;
    std::string undo_;
    bool hasUndo_ = false;
    bool selected_ = false;
    Limits limits_;
    Format format_;
    Clipboard* clipboard_ = nullptr;
};

} // namespace numedit
} // namespace pravik
