#pragma once

#include "NumEditLayout.h"
#include "NumEditQtClipboard.h"
#include "NumEditValue.h"

#include <QBasicTimer>
#include <QColor>
#include <QMenu>
#include <QPointer>
#include <QWidget>

namespace pravik {

// A one-line number field that draws itself: digits, one point and a leading
// minus within set lengths, always typed at the end, shown with separators,
// fixed decimals and marks. The selection is all or nothing; it has its own
// clipboard commands, one-level undo and context menu.
//
// Keys: Tab always moves the focus (the control never takes it). Enter and
// Escape are left to the window (default and cancel buttons) unless
// EnterFocusMove is on; then Enter moves the focus on and Escape is refused
// here, so it does not cancel the window.
class TSaNumEdit : public QWidget {
    Q_OBJECT
    Q_PROPERTY(TAlignment Alignment READ alignment WRITE setAlignment)
    Q_PROPERTY(TVertAlignment VertAlignment READ vertAlignment WRITE setVertAlignment)
    Q_PROPERTY(int IntegerLength READ integerLength WRITE setIntegerLength)
    Q_PROPERTY(int DecimalLength READ decimalLength WRITE setDecimalLength)
    Q_PROPERTY(bool Minus READ minus WRITE setMinus)
    Q_PROPERTY(bool Comma READ comma WRITE setComma)
    Q_PROPERTY(bool IntegerFixed READ integerFixed WRITE setIntegerFixed)
    Q_PROPERTY(bool DecimalFixed READ decimalFixed WRITE setDecimalFixed)
    Q_PROPERTY(QString LeftMark READ leftMark WRITE setLeftMark)
    Q_PROPERTY(QString RightMark READ rightMark WRITE setRightMark)
    Q_PROPERTY(int LeftMargin READ leftMargin WRITE setLeftMargin)
    Q_PROPERTY(int RightMargin READ rightMargin WRITE setRightMargin)
    Q_PROPERTY(int TopMargin READ topMargin WRITE setTopMargin)
    Q_PROPERTY(int BottomMargin READ bottomMargin WRITE setBottomMargin)
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)
    Q_PROPERTY(bool AutoSelect READ autoSelect WRITE setAutoSelect)
    Q_PROPERTY(bool HideSelection READ hideSelection WRITE setHideSelection)
    Q_PROPERTY(bool ReadOnly READ readOnly WRITE setReadOnly)
    Q_PROPERTY(bool ErrorBeep READ errorBeep WRITE setErrorBeep)
    Q_PROPERTY(bool EnterFocusMove READ enterFocusMove WRITE setEnterFocusMove)
    Q_PROPERTY(bool ArrowFocusMove READ arrowFocusMove WRITE setArrowFocusMove)
    Q_PROPERTY(bool ImageCopy READ imageCopy WRITE setImageCopy)
    Q_PROPERTY(QColor DisabledColor READ disabledColor WRITE setDisabledColor)
    Q_PROPERTY(QColor Color READ color WRITE setColor)
    Q_PROPERTY(TBorderStyle BorderStyle READ borderStyle WRITE setBorderStyle)
    Q_PROPERTY(bool Ctl3D READ ctl3D WRITE setCtl3D)
    Q_PROPERTY(TImeMode ImeMode READ imeMode WRITE setImeMode)
    Q_PROPERTY(bool TabStop READ tabStop WRITE setTabStop)
    Q_PROPERTY(uint Options READ options WRITE setOptions)
    Q_PROPERTY(QString Text READ text WRITE setText)

public:
    enum TAlignment { taLeftJustify, taRightJustify, taCenter };
    Q_ENUM(TAlignment)
    enum TVertAlignment { taTopJustify, taBottomJustify, taVCenter };
    Q_ENUM(TVertAlignment)
    enum TBorderStyle { bsNone, bsSingle };
    Q_ENUM(TBorderStyle)
    enum TImeMode { imDontCare, imDisable };
    Q_ENUM(TImeMode)

    // The context menu's entries, by tag.
    enum MenuTag { mtUndo = 0, mtCut = 2, mtCopy = 3, mtPaste = 4, mtDelete = 5, mtSelectAll = 7 };

    explicit TSaNumEdit(QWidget* parent = nullptr);

    // The value text: what was typed, without separators or marks. A write
    // normalises and strips leading zeros, keeps the undo text and raises no
    // OnChange.
    QString text() const;
    void setText(const QString& text);
    // What is drawn: marks and formatted number, or empty.
    QString displayText() const;

    bool selected() const { return value_.selected(); }
    bool canUndo() const { return value_.canUndo(); }

    TAlignment alignment() const { return alignment_; }
    void setAlignment(TAlignment alignment);
    TVertAlignment vertAlignment() const { return vertAlignment_; }
    void setVertAlignment(TVertAlignment alignment);
    int integerLength() const { return value_.limits().integerLength; }
    void setIntegerLength(int length);
    int decimalLength() const { return value_.limits().decimalLength; }
    void setDecimalLength(int length);
    bool minus() const { return value_.limits().minus; }
    void setMinus(bool on);
    bool comma() const { return value_.format().comma; }
    void setComma(bool on);
    bool integerFixed() const { return value_.format().integerFixed; }
    void setIntegerFixed(bool on);
    bool decimalFixed() const { return value_.format().decimalFixed; }
    void setDecimalFixed(bool on);
    QString leftMark() const { return QString::fromStdString(value_.format().leftMark); }
    void setLeftMark(const QString& mark);
    QString rightMark() const { return QString::fromStdString(value_.format().rightMark); }
    void setRightMark(const QString& mark);
    // Negative margins are ignored.
    int leftMargin() const { return margins_.left; }
    void setLeftMargin(int margin);
    int rightMargin() const { return margins_.right; }
    void setRightMargin(int margin);
    int topMargin() const { return margins_.top; }
    void setTopMargin(int margin);
    int bottomMargin() const { return margins_.bottom; }
    void setBottomMargin(int margin);
    bool autoSize() const { return autoSize_; }
    void setAutoSize(bool on);
    bool autoSelect() const { return value_.autoSelect; }
    void setAutoSelect(bool on) { value_.autoSelect = on; }
    bool hideSelection() const { return value_.hideSelection; }
    void setHideSelection(bool on) { value_.hideSelection = on; }
    bool readOnly() const { return value_.readOnly; }
    void setReadOnly(bool on) { value_.readOnly = on; }
    bool errorBeep() const { return value_.errorBeep; }
    void setErrorBeep(bool on) { value_.errorBeep = on; }
    bool enterFocusMove() const { return value_.enterFocusMove; }
    void setEnterFocusMove(bool on) { value_.enterFocusMove = on; }
    bool arrowFocusMove() const { return value_.arrowFocusMove; }
    void setArrowFocusMove(bool on) { value_.arrowFocusMove = on; }
    // Up and Down step the value by one, never below `minimum`.
    void setArrowStep(bool on, long minimum)
    {
        value_.arrowStep = on;
        value_.stepMinimum = minimum;
    }
    bool imageCopy() const { return value_.imageCopy; }
    void setImageCopy(bool on) { value_.imageCopy = on; }
    // Unset colours follow the palette: the window colour and grey text.
    QColor disabledColor() const;
    void setDisabledColor(const QColor& colour);
    QColor color() const;
    void setColor(const QColor& colour);
    TBorderStyle borderStyle() const { return borderStyle_; }
    void setBorderStyle(TBorderStyle style);
    bool ctl3D() const { return ctl3D_; }
    void setCtl3D(bool on);
    TImeMode imeMode() const { return imeMode_; }
    void setImeMode(TImeMode mode);
    bool tabStop() const { return focusPolicy() == Qt::StrongFocus; }
    void setTabStop(bool on);
    TSaNumEditOptions options() const { return value_.options; }
    void setOptions(TSaNumEditOptions options);

    // A menu of the caller's that replaces the control's own.
    QMenu* popupMenu() const { return popupMenu_; }
    void setPopupMenu(QMenu* menu) { popupMenu_ = menu; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

public slots:
    void selectAll();
    void copy();
    void cut();
    void paste();
    void undo();
    void clearSelected();

signals:
    // The user changed the value.
    void OnChange();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QMenu* ownMenu();
    void enableMenu();
    int borderWidth() const;
    QRect clientRect() const;
    int autoHeight() const;
    numedit::Widths widthsFor(const std::string& value) const;
    numedit::Placement placementFor(const std::string& value) const;
    QRect caretRect() const;
    void takeTextHeight();
    void relayout();
    void stepDone();
    void moveFocus(numedit::FocusRequest request);
    void restartCaret();

    numedit::Value value_;
    NumEditQtClipboard clipboard_;
    numedit::Margins margins_;
    TAlignment alignment_ = taRightJustify;
    TVertAlignment vertAlignment_ = taVCenter;
    TBorderStyle borderStyle_ = bsSingle;
    TImeMode imeMode_ = imDontCare;
    bool autoSize_ = true;
    bool ctl3D_ = true;
    QColor color_;
    QColor disabledColor_;
    QPointer<QMenu> popupMenu_;
    QMenu* ownMenu_ = nullptr;
    int textHeight_ = 0;
    QBasicTimer caretTimer_;
    bool caretShown_ = false;
};

} // namespace pravik
