#include "SaNumEdit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QImage>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <map>

using namespace pravik;

namespace {

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void activate(QWidget* window)
{
    settle();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
}

// Opens the control's context menu, reads every entry's enabled state, closes
// it and then runs the entry with triggerTag. The offscreen platform moves
// the window's activation around popups, so the window is made active again
// on both sides of the menu, as it stays on a desktop.
std::map<int, bool> openMenu(TSaNumEdit* edit, QStringList* captions = nullptr, int triggerTag = -1)
{
    std::map<int, bool> enabled;
    QPointer<QAction> chosen;
    bool shown = false;
    activate(edit->window());
    // Polls until the menu is up; gives up after two seconds so that a menu
    // that never closes cannot hang the run.
    QTimer poll;
    int ticks = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) {
            if (++ticks > 200)
                poll.stop();
            return;
        }
        poll.stop();
        shown = true;
        for (QAction* action : menu->actions()) {
            if (captions)
                captions->append(action->isSeparator() ? QStringLiteral("-") : action->text());
            if (!action->isSeparator())
                enabled[action->data().toInt()] = action->isEnabled();
            if (action->data().toInt() == triggerTag)
                chosen = action;
        }
        menu->close();
    });
    poll.start(10);
    const QPoint at(5, 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, edit->mapToGlobal(at));
    QApplication::sendEvent(edit, &event);
    poll.stop();
    EXPECT_TRUE(shown) << "the context menu did not open";
    activate(edit->window());
    if (chosen)
        chosen->trigger();
    return enabled;
}

bool holdsColour(const QImage& image, const QColor& colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

class SaNumEditTest : public ::testing::Test {
protected:
    QWidget window;
    TSaNumEdit* first = new TSaNumEdit(&window);
    TSaNumEdit* second = new TSaNumEdit(&window);

    void SetUp() override
    {
        QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
        font.setPixelSize(12);
        window.setFont(font);
        window.resize(200, 80);
        second->move(0, 40);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        first->setFocus();
        ASSERT_TRUE(first->hasFocus());
        QGuiApplication::clipboard()->clear();
    }
};

// The entry editor's copies field.
void makeCopiesField(TSaNumEdit* edit)
{
    edit->setIntegerLength(3);
    edit->setDecimalLength(0);
    edit->setComma(false);
    edit->setEnterFocusMove(true);
    edit->setErrorBeep(false);
    edit->setImeMode(TSaNumEdit::imDisable);
}

} // namespace

TEST_F(SaNumEditTest, NewControlHasTheDesignedDefaults)
{
    TSaNumEdit edit;
    EXPECT_EQ(edit.width(), 121);
    EXPECT_EQ(edit.alignment(), TSaNumEdit::taRightJustify);
    EXPECT_EQ(edit.integerLength(), 9);
    EXPECT_EQ(edit.decimalLength(), 3);
    EXPECT_EQ(edit.options(), TSaNumEditOptions(eoArrowUp | eoArrowDown));
    EXPECT_EQ(edit.cursor().shape(), Qt::IBeamCursor);
    EXPECT_TRUE(edit.tabStop());
    EXPECT_TRUE(edit.testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_EQ(first->font().family(), window.font().family()) << "the font comes from the parent";
    EXPECT_TRUE(first->setProperty("IntegerLength", 3));
    EXPECT_EQ(first->integerLength(), 3);
}

TEST_F(SaNumEditTest, TypedKeysBuildTheValueWithinItsLimits)
{
    makeCopiesField(first);
    QSignalSpy changes(first, &TSaNumEdit::OnChange);
    QTest::keyClicks(first, "0059999");
    EXPECT_EQ(first->text(), QStringLiteral("599"));
    QTest::keyClick(first, Qt::Key_Backspace);
    QTest::keyClicks(first, ".a-");
    EXPECT_EQ(first->text(), QStringLiteral("-59"));
    EXPECT_EQ(changes.count(), 6); // 0, 5, 9, 9, backspace, minus; the second 0 changed nothing
    first->setText(QStringLiteral("1000"));
    EXPECT_EQ(first->text(), QString());
    EXPECT_EQ(changes.count(), 6) << "writes raise no OnChange";
}

TEST_F(SaNumEditTest, DisplayFormatsWithCommasMarksAndFixedDecimals)
{
    first->setText(QStringLiteral("1234.5"));
    EXPECT_EQ(first->displayText(), QStringLiteral("1,234.5"));
    first->setDecimalLength(2);
    first->setDecimalFixed(true);
    first->setLeftMark(QStringLiteral("¥"));
    first->setRightMark(QStringLiteral("円"));
    EXPECT_EQ(first->displayText(), QStringLiteral("¥1,234.50円"));
    first->setText(QString());
    EXPECT_EQ(first->displayText(), QStringLiteral("¥0.00円"));
}

TEST_F(SaNumEditTest, ClipboardKeysCopyCutAndPaste)
{
    first->setRightMark(QStringLiteral("枚"));
    QGuiApplication::clipboard()->setText(QStringLiteral("1,234"));
    QTest::keyClick(first, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(first->text(), QStringLiteral("1234"));
    EXPECT_EQ(first->displayText(), QStringLiteral("1,234枚"));
    QTest::keyClick(first, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(first, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("1234"));
    first->setImageCopy(true);
    QTest::keyClick(first, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("1,234枚"));
    EXPECT_EQ(first->text(), QString());
}

TEST_F(SaNumEditTest, ReadOnlyKeepsTheValueButCopies)
{
    first->setText(QStringLiteral("12"));
    first->setReadOnly(true);
    QGuiApplication::clipboard()->setText(QStringLiteral("9"));
    QTest::keyClicks(first, "34");
    QTest::keyClick(first, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(first, Qt::Key_Backspace);
    QTest::keyClick(first, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(first, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(first->text(), QStringLiteral("12"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("12"));
}

TEST_F(SaNumEditTest, EnterMovesTheFocusWithEnterFocusMove)
{
    QTest::keyClick(first, Qt::Key_Return);
    settle();
    EXPECT_TRUE(first->hasFocus());
    first->setEnterFocusMove(true);
    QTest::keyClick(first, Qt::Key_Return);
    settle();
    EXPECT_TRUE(second->hasFocus());
}

TEST_F(SaNumEditTest, ArrowsMoveTheFocusWithArrowFocusMove)
{
    QTest::keyClick(first, Qt::Key_Down);
    settle();
    EXPECT_TRUE(first->hasFocus());
    first->setArrowFocusMove(true);
    second->setArrowFocusMove(true);
    QTest::keyClick(first, Qt::Key_Down);
    settle();
    EXPECT_TRUE(second->hasFocus());
    QTest::keyClick(second, Qt::Key_Up);
    settle();
    EXPECT_TRUE(first->hasFocus());
}

TEST_F(SaNumEditTest, TabLeavesAndEnteringSelectsTheWholeText)
{
    second->setText(QStringLiteral("42"));
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_TRUE(second->hasFocus());
    EXPECT_TRUE(second->selected());
    QTest::keyClicks(second, "7");
    EXPECT_EQ(second->text(), QStringLiteral("7"));
}

TEST_F(SaNumEditTest, LeavingClearsALoneMinusAndDropsTheSelection)
{
    QTest::keyClicks(first, "-");
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_EQ(first->text(), QString());
    ASSERT_TRUE(second->hasFocus());
    second->setOptions(eoMinusOnly);
    QTest::keyClicks(second, "-");
    QTest::keyClick(second, Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(second->selected());
    QTest::keyClick(second, Qt::Key_Tab);
    EXPECT_EQ(second->text(), QStringLiteral("-"));
    EXPECT_FALSE(second->selected());
}

TEST_F(SaNumEditTest, MouseClickDropsDoubleClickSelects)
{
    first->setText(QStringLiteral("123"));
    first->selectAll();
    QTest::mouseClick(first, Qt::LeftButton, {}, QPoint(60, 8));
    EXPECT_FALSE(first->selected());
    QTest::mouseDClick(first, Qt::LeftButton, {}, QPoint(60, 8));
    EXPECT_TRUE(first->selected());
    QTest::mouseClick(second, Qt::RightButton, {}, QPoint(60, 8));
    EXPECT_TRUE(second->hasFocus()) << "any button gives the focus";
}

TEST_F(SaNumEditTest, WindowShortcutsDoNotStealTheControlsKeys)
{
    QAction rowDelete(&window);
    rowDelete.setShortcut(QKeySequence::Delete);
    window.addAction(&rowDelete);
    QSignalSpy fired(&rowDelete, &QAction::triggered);
    first->setText(QStringLiteral("12"));
    QTest::keyClick(first, Qt::Key_Delete);
    EXPECT_EQ(first->text(), QStringLiteral("1"));
    EXPECT_EQ(fired.count(), 0);
}

TEST_F(SaNumEditTest, InputMethodDigitsArriveHalfWidth)
{
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("１２．５"));
    QApplication::sendEvent(first, &commit);
    EXPECT_EQ(first->text(), QStringLiteral("12.5"));
    first->setImeMode(TSaNumEdit::imDisable);
    EXPECT_FALSE(first->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_FALSE(first->inputMethodQuery(Qt::ImEnabled).toBool());
}

TEST_F(SaNumEditTest, PopupsDoNotCountAsLeavingTheControl)
{
    first->setText(QStringLiteral("-"));
    first->selectAll();
    QFocusEvent toPopup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(first, &toPopup);
    EXPECT_TRUE(first->selected());
    EXPECT_EQ(first->text(), QStringLiteral("-"));
    QFocusEvent toOtherWindow(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(first, &toOtherWindow);
    EXPECT_FALSE(first->selected());
    EXPECT_EQ(first->text(), QString());
}

// The offscreen platform shuffles the window's activation around popups;
// entering and leaving must not change the selection under these tests.
TEST_F(SaNumEditTest, ContextMenuHasItsCaptionsAndEnablesByState)
{
    first->setAutoSelect(false);
    first->setHideSelection(false);
    QStringList captions;
    std::map<int, bool> enabled = openMenu(first, &captions);
    EXPECT_EQ(captions, (QStringList{"元に戻す(&U)", "-", "切り取り(&T)", "コピー(&C)", "貼り付け(&P)",
                                     "削除(&D)", "-", "すべて選択(&A)"}));
    for (const auto& [tag, on] : enabled)
        EXPECT_FALSE(on) << "tag " << tag;

    QTest::keyClicks(first, "5");
    QGuiApplication::clipboard()->setText(QStringLiteral("3"));
    enabled = openMenu(first);
    EXPECT_TRUE(enabled[TSaNumEdit::mtUndo]);
    EXPECT_TRUE(enabled[TSaNumEdit::mtPaste]);
    EXPECT_TRUE(enabled[TSaNumEdit::mtSelectAll]);
    EXPECT_FALSE(enabled[TSaNumEdit::mtCopy]);

    openMenu(first, nullptr, TSaNumEdit::mtSelectAll);
    EXPECT_TRUE(first->selected());
    first->setReadOnly(true);
    enabled = openMenu(first);
    EXPECT_TRUE(enabled[TSaNumEdit::mtCopy]);
    EXPECT_FALSE(enabled[TSaNumEdit::mtCut]);
    EXPECT_FALSE(enabled[TSaNumEdit::mtDelete]);
    EXPECT_FALSE(enabled[TSaNumEdit::mtPaste]);
    EXPECT_FALSE(enabled[TSaNumEdit::mtUndo]);
}

TEST_F(SaNumEditTest, ContextMenuEntriesRunTheirCommands)
{
    first->setAutoSelect(false);
    first->setHideSelection(false);
    first->setText(QStringLiteral("12"));
    openMenu(first, nullptr, TSaNumEdit::mtSelectAll);
    openMenu(first, nullptr, TSaNumEdit::mtDelete);
    EXPECT_EQ(first->text(), QString());
    openMenu(first, nullptr, TSaNumEdit::mtUndo);
    EXPECT_EQ(first->text(), QStringLiteral("12"));
    EXPECT_TRUE(first->selected());
    openMenu(first, nullptr, TSaNumEdit::mtCopy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("12"));
}

TEST_F(SaNumEditTest, AutoSizeKeepsTheHeightAtTextPlusMarginsAndBorder)
{
    const int text = QFontMetrics(first->font()).height();
    EXPECT_EQ(first->height(), text + 2 + 2 + 2 * 2);
    first->setTopMargin(5);
    first->setBottomMargin(-1);
    EXPECT_EQ(first->height(), text + 5 + 2 + 2 * 2);
    first->setBorderStyle(TSaNumEdit::bsNone);
    EXPECT_EQ(first->height(), text + 5 + 2);
    first->resize(121, 50);
    EXPECT_EQ(first->height(), text + 5 + 2);

    QFont larger = first->font();
    larger.setPixelSize(24);
    first->setFont(larger);
    EXPECT_EQ(first->height(), QFontMetrics(larger).height() + 5 + 2);

    first->setAutoSize(false);
    first->resize(121, 50);
    EXPECT_EQ(first->height(), 50);
}

TEST_F(SaNumEditTest, PaintsSelectionAndDisabledText)
{
    first->setText(QStringLiteral("888"));
    const QColor highlight = first->palette().color(QPalette::Highlight);
    EXPECT_FALSE(holdsColour(first->grab().toImage(), highlight));
    first->selectAll();
    EXPECT_TRUE(holdsColour(first->grab().toImage(), highlight));

    first->setDisabledColor(QColor(255, 0, 0));
    first->setEnabled(false);
    const QImage disabled = first->grab().toImage();
    EXPECT_TRUE(holdsColour(disabled, QColor(255, 0, 0)));
    EXPECT_FALSE(holdsColour(disabled, highlight));

    first->setEnabled(true);
    first->setColor(QColor(0, 0, 255));
    first->setText(QString());
    const QImage empty = first->grab().toImage();
    EXPECT_EQ(empty.pixelColor(empty.width() / 2, empty.height() / 2), QColor(0, 0, 255));
}

TEST(SaNumEditDialogTest, EnterAndEscapeGoToTheWindowUnlessEnterFocusMove)
{
    QDialog dialog;
    auto* edit = new TSaNumEdit(&dialog);
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->move(0, 40);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    QSignalSpy rejected(&dialog, &QDialog::rejected);
    const auto open = [&] {
        dialog.show();
        dialog.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
        edit->setFocus();
    };

    open();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(accepted.count(), 1);
    open();
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(rejected.count(), 1);

    makeCopiesField(edit);
    open();
    QTest::keyClick(edit, Qt::Key_Escape);
    QTest::keyClick(edit, Qt::Key_Return);
    settle();
    EXPECT_EQ(rejected.count(), 1) << "the copies field takes Escape itself";
    EXPECT_EQ(accepted.count(), 1);
    EXPECT_TRUE(ok->hasFocus()) << "Enter moved on to the next control";
}
