#include "NumEditValue.h"

#include <gtest/gtest.h>

using namespace pravik;
using namespace pravik::numedit;

namespace {

class FakeClipboard : public Clipboard {
public:
    bool holdsText = false;
    std::string content;
    bool hasText() const override { return holdsText; }
    std::string text() const override { return content; }
    void setText(const std::string& utf8) override
    {
        content = utf8;
        holdsText = true;
    }
};

class NumEditValueTest : public ::testing::Test {
protected:
    Value value;
    FakeClipboard clipboard;
    int changes = 0;
    int beeps = 0;

    NumEditValueTest()
    {
        value.setClipboard(&clipboard);
        value.onChange = [this] { ++changes; };
        value.onBeep = [this] { ++beeps; };
    }
    void type(std::u32string_view chars)
    {
        for (char32_t c : chars)
            value.typeChar(c);
    }
    KeyOutcome press(Key key, Modifiers m = {}) { return value.keyDown(key, m); }
    void putOnClipboard(const std::string& text) { clipboard.setText(text); }
};

constexpr Modifiers ctrl{false, true, false};
constexpr Modifiers shift{true, false, false};

} // namespace

TEST_F(NumEditValueTest, FourthDigitIsRefusedWithBeepOrSilently)
{
    value.setIntegerLength(3);
    type(U"9999");
    EXPECT_EQ(value.text(), "999");
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(changes, 3);
    value.errorBeep = false;
    type(U"9");
    EXPECT_EQ(beeps, 1);
}

TEST_F(NumEditValueTest, LeadingZerosAreStrippedAsTyped)
{
    type(U"05");
    EXPECT_EQ(value.text(), "5");
    value.setText("");
    type(U"00");
    EXPECT_EQ(value.text(), "0");
    // The limit counts the digits that stay, so a one-digit field takes 0 then 5.
    value.setIntegerLength(1);
    value.setText("0");
    type(U"5");
    EXPECT_EQ(value.text(), "5");
    EXPECT_EQ(beeps, 0);
}

TEST_F(NumEditValueTest, DecimalPointAndDecimals)
{
    value.setDecimalLength(2);
    type(U".");
    EXPECT_EQ(value.text(), "0.");
    type(U".");
    EXPECT_EQ(beeps, 1);
    type(U"239");
    EXPECT_EQ(value.text(), "0.23");
    EXPECT_EQ(beeps, 2);
    value.setDecimalLength(0);
    value.setText("1");
    type(U".");
    EXPECT_EQ(value.text(), "1");
    EXPECT_EQ(beeps, 3);
}

TEST_F(NumEditValueTest, MinusTogglesTheSignAndCanBeForbidden)
{
    type(U"5-");
    EXPECT_EQ(value.text(), "-5");
    type(U"-");
    EXPECT_EQ(value.text(), "5");
    value.undo();
    EXPECT_EQ(value.text(), "-5");
    value.setMinus(false);
    EXPECT_EQ(value.text(), "") << "the value is normalised under the new rule";
    type(U"-");
    EXPECT_EQ(value.text(), "");
    EXPECT_EQ(beeps, 1);
}

TEST_F(NumEditValueTest, OtherCharactersAreRefusedControlCodesIgnored)
{
    type(U"1a ");
    EXPECT_EQ(beeps, 2);
    for (char32_t c : {8, 1, 3, 22, 24})
        value.typeChar(c);
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(value.text(), "1");
}

TEST_F(NumEditValueTest, EnterMovesTheFocusOnlyWhenAsked)
{
    EXPECT_EQ(value.typeChar(U'\r'), FocusRequest::None);
    EXPECT_EQ(beeps, 1);
    value.enterFocusMove = true;
    EXPECT_EQ(value.typeChar(U'\r'), FocusRequest::Next);
    value.readOnly = true;
    EXPECT_EQ(value.typeChar(U'\r'), FocusRequest::Next) << "read-only fields are still walked through";
    EXPECT_EQ(beeps, 1);
}

TEST_F(NumEditValueTest, TypingOverASelectionReplacesItAndUndoBringsItBack)
{
    value.setText("123");
    value.selectAll();
    type(U"4");
    EXPECT_EQ(value.text(), "4");
    EXPECT_FALSE(value.selected());
    value.undo();
    EXPECT_EQ(value.text(), "123");
    EXPECT_TRUE(value.selected());
    // A point typed over a selected decimal value starts afresh.
    value.setText("1.5");
    value.selectAll();
    type(U".");
    EXPECT_EQ(value.text(), "0.");
}

TEST_F(NumEditValueTest, RefusedInputKeepsTheSelectedValue)
{
    value.setIntegerLength(0);
    value.setText("");
    value.setDecimalLength(2);
    value.setText(".5");
    value.selectAll();
    type(U"7");
    EXPECT_EQ(value.text(), "0.5");
    EXPECT_TRUE(value.selected());
    EXPECT_EQ(beeps, 1);
}

TEST_F(NumEditValueTest, BackspaceRemovesTheLastCharacterAndALeftoverPoint)
{
    value.setText("1.5");
    press(Key::Backspace);
    EXPECT_EQ(value.text(), "1");
    EXPECT_EQ(changes, 1);
    press(Key::Delete);
    EXPECT_EQ(value.text(), "");
    press(Key::Backspace);
    EXPECT_EQ(changes, 2) << "nothing to delete, nothing changed";
    value.setText("42");
    value.selectAll();
    press(Key::Backspace);
    EXPECT_EQ(value.text(), "");
    EXPECT_FALSE(value.selected());
    EXPECT_TRUE(value.canUndo());
}

TEST_F(NumEditValueTest, UndoTwiceReturnsToTheValueBeforeTheFirstUndo)
{
    EXPECT_FALSE(value.canUndo());
    type(U"12");
    value.undo();
    EXPECT_EQ(value.text(), "1");
    value.undo();
    EXPECT_EQ(value.text(), "12");
    EXPECT_EQ(changes, 4);
}

TEST_F(NumEditValueTest, TextWritesNormaliseWithoutUndoOrChange)
{
    value.setIntegerLength(3);
    value.setText("０５");
    EXPECT_EQ(value.text(), "5");
    value.setText("1000");
    EXPECT_EQ(value.text(), "");
    value.setText("12ab");
    EXPECT_EQ(value.text(), "12");
    EXPECT_FALSE(value.canUndo());
    EXPECT_EQ(changes, 0);
}

TEST_F(NumEditValueTest, LengthWritesNormaliseValueAndUndoText)
{
    type(U"1234.567");
    value.setDecimalLength(1);
    EXPECT_EQ(value.text(), "1234.5");
    value.setIntegerLength(-1);
    EXPECT_EQ(value.limits().integerLength, 9);
    value.setIntegerLength(3);
    EXPECT_EQ(value.text(), "");
    value.undo();
    EXPECT_EQ(value.text(), "") << "the old undo text was too long for the new limit";
}

TEST_F(NumEditValueTest, PasteJoinsOrReplacesAndNormalises)
{
    putOnClipboard("1,234");
    press(Key::V, ctrl);
    EXPECT_EQ(value.text(), "1234");
    EXPECT_EQ(value.displayText(), "1,234");
    putOnClipboard("5x");
    value.paste();
    EXPECT_EQ(value.text(), "12345");
    value.selectAll();
    putOnClipboard("０７");
    value.paste();
    EXPECT_EQ(value.text(), "7");
    EXPECT_FALSE(value.selected());
    value.undo();
    EXPECT_EQ(value.text(), "12345");
}

TEST_F(NumEditValueTest, PasteThatWouldOverflowIsRefusedNotWiped)
{
    value.setIntegerLength(3);
    value.setText("12");
    putOnClipboard("34");
    value.paste();
    EXPECT_EQ(value.text(), "12");
    EXPECT_EQ(beeps, 1);
    EXPECT_FALSE(value.canUndo());
}

TEST_F(NumEditValueTest, CopyAndCutNeedASelection)
{
    value.setText("1234");
    value.setRightMark("円");
    press(Key::C, ctrl);
    press(Key::X, ctrl);
    EXPECT_FALSE(clipboard.holdsText);
    EXPECT_EQ(value.text(), "1234") << "cut without a selection must not drop a digit";
    press(Key::A, ctrl);
    press(Key::C, ctrl);
    EXPECT_EQ(clipboard.content, "1234");
    value.imageCopy = true;
    press(Key::X, ctrl);
    EXPECT_EQ(clipboard.content, "1,234円");
    EXPECT_EQ(value.text(), "");
    EXPECT_EQ(changes, 1);
}

TEST_F(NumEditValueTest, CopyOfAnEmptyValueKeepsTheClipboard)
{
    putOnClipboard("keep");
    value.selectAll();
    value.copy();
    EXPECT_EQ(clipboard.content, "keep");
}

TEST_F(NumEditValueTest, ReadOnlyChangesNothingButCopiesAndSelects)
{
    value.setText("12");
    value.readOnly = true;
    putOnClipboard("9");
    type(U"3-");
    press(Key::V, ctrl);
    press(Key::Backspace);
    EXPECT_EQ(value.text(), "12");
    press(Key::A, ctrl);
    EXPECT_TRUE(value.selected());
    press(Key::X, ctrl);
    value.undo();
    value.clearSelected();
    EXPECT_EQ(value.text(), "12");
    press(Key::C, ctrl);
    EXPECT_EQ(clipboard.content, "12");
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(changes, 0);
}

TEST_F(NumEditValueTest, NavigationKeysDropOrTakeTheSelection)
{
    value.setText("5");
    EXPECT_TRUE(press(Key::Right, shift).handled);
    EXPECT_TRUE(value.selected());
    EXPECT_TRUE(press(Key::Home).handled);
    EXPECT_FALSE(value.selected());
    value.selectAll();
    EXPECT_FALSE(press(Key::Home, shift).handled);
    EXPECT_TRUE(value.selected());
    EXPECT_FALSE(press(Key::Other).handled);
    EXPECT_FALSE(press(Key::A).handled) << "plain A is a character, not a key";
    EXPECT_FALSE(Value::takesKey(Key::C, Modifiers{false, true, true}));
}

TEST_F(NumEditValueTest, ArrowsMoveTheFocusWithArrowFocusMoveAndTheirOption)
{
    EXPECT_EQ(press(Key::Up).focus, FocusRequest::None);
    value.arrowFocusMove = true;
    EXPECT_EQ(press(Key::Up).focus, FocusRequest::Previous);
    EXPECT_EQ(press(Key::Down).focus, FocusRequest::Next);
    value.options = eoArrowUp;
    EXPECT_EQ(press(Key::Down).focus, FocusRequest::None);
    EXPECT_TRUE(press(Key::Down).handled);
}

TEST_F(NumEditValueTest, ArrowsStepAWholeNumberWithinItsRoomAndNeverBelowTheMinimum)
{
    value.setIntegerLength(3);
    value.setDecimalLength(0);
    value.arrowStep = true;
    value.stepMinimum = 1;
    press(Key::Up);
    EXPECT_EQ(value.text(), "1") << "an empty box starts at the minimum";
    press(Key::Up);
    press(Key::Up);
    EXPECT_EQ(value.text(), "3");
    EXPECT_EQ(changes, 3);
    press(Key::Down);
    press(Key::Down);
    press(Key::Down);
    EXPECT_EQ(value.text(), "1");
    value.setText("999");
    press(Key::Up);
    EXPECT_EQ(value.text(), "999");
    EXPECT_EQ(beeps, 1);
    value.undo();
    EXPECT_EQ(value.text(), "2") << "a step is undone like typing";
    value.arrowFocusMove = true;
    EXPECT_EQ(press(Key::Up).focus, FocusRequest::Previous);
    EXPECT_EQ(value.text(), "2") << "moving the focus does not step";
}

TEST_F(NumEditValueTest, LeavingClearsALoneMinusUnlessMinusOnly)
{
    type(U"-");
    value.focusEntered();
    EXPECT_TRUE(value.selected());
    value.focusLeft();
    EXPECT_EQ(value.text(), "");
    EXPECT_FALSE(value.selected());
    type(U"-");
    value.options |= eoMinusOnly;
    value.hideSelection = false;
    value.selectAll();
    value.focusLeft();
    EXPECT_EQ(value.text(), "-");
    EXPECT_TRUE(value.selected());
    value.autoSelect = false;
    value.dropSelection();
    value.focusEntered();
    EXPECT_FALSE(value.selected());
}

TEST_F(NumEditValueTest, InputStopRefusesWhatWouldNotFit)
{
    value.fits = [](const std::string& candidate) { return candidate.size() <= 2; };
    type(U"123");
    EXPECT_EQ(value.text(), "123") << "only with the option";
    value.setText("");
    value.options |= eoORInputStop;
    type(U"123-");
    EXPECT_EQ(value.text(), "12");
    EXPECT_EQ(beeps, 2);
    putOnClipboard("9");
    value.paste();
    EXPECT_EQ(value.text(), "12");
}

TEST_F(NumEditValueTest, MenuStatesFollowSelectionUndoClipboardAndReadOnly)
{
    MenuState s = value.menuState();
    EXPECT_FALSE(s.undo || s.cut || s.copy || s.paste || s.clear || s.selectAll);
    type(U"7");
    putOnClipboard("1");
    s = value.menuState();
    EXPECT_TRUE(s.undo && s.paste && s.selectAll);
    EXPECT_FALSE(s.cut || s.copy || s.clear);
    value.selectAll();
    s = value.menuState();
    EXPECT_TRUE(s.cut && s.copy && s.clear);
    EXPECT_FALSE(s.selectAll);
    value.readOnly = true;
    s = value.menuState();
    EXPECT_TRUE(s.copy);
    EXPECT_FALSE(s.undo || s.cut || s.paste || s.clear);
}
