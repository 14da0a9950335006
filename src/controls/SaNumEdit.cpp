#include "SaNumEdit.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>

#include <algorithm>

namespace pravik {

TSaNumEdit::TSaNumEdit(QWidget* parent) : QWidget(parent)
{
    value_.setClipboard(&clipboard_);
    value_.onChange = [this] { emit OnChange(); };
    value_.onBeep = [] { QApplication::beep(); };
    value_.fits = [this](const std::string& candidate) {
        const numedit::Widths w = widthsFor(candidate);
        return w.leftMark + w.area + w.rightMark <= numedit::roomWidth(clientRect().width(), margins_);
    };
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);
    setAttribute(Qt::WA_InputMethodEnabled);
    resize(121, 20);
    takeTextHeight();
    relayout();
}

QString TSaNumEdit::text() const { return QString::fromLatin1(value_.text()); }

void TSaNumEdit::setText(const QString& text)
{
    value_.setText(text.toStdString());
    update();
    updateMicroFocus();
}

QString TSaNumEdit::displayText() const { return QString::fromStdString(value_.displayText()); }

void TSaNumEdit::setAlignment(TAlignment alignment)
{
    alignment_ = alignment;
    relayout();
}

void TSaNumEdit::setVertAlignment(TVertAlignment alignment)
{
    vertAlignment_ = alignment;
    relayout();
}

void TSaNumEdit::setIntegerLength(int length)
{
    value_.setIntegerLength(length);
    relayout();
}

void TSaNumEdit::setDecimalLength(int length)
{
    value_.setDecimalLength(length);
    relayout();
}

void TSaNumEdit::setMinus(bool on)
{
    value_.setMinus(on);
    relayout();
}

void TSaNumEdit::setComma(bool on)
{
    value_.setComma(on);
    relayout();
}

void TSaNumEdit::setIntegerFixed(bool on)
{
    value_.setIntegerFixed(on);
    relayout();
}

void TSaNumEdit::setDecimalFixed(bool on)
{
    value_.setDecimalFixed(on);
    relayout();
}

void TSaNumEdit::setLeftMark(const QString& mark)
{
    value_.setLeftMark(mark.toStdString());
    relayout();
}

void TSaNumEdit::setRightMark(const QString& mark)
{
    value_.setRightMark(mark.toStdString());
    relayout();
}

namespace {

void setMargin(int& margin, int value)
{
    if (value >= 0)
        margin = value;
}

} // namespace

void TSaNumEdit::setLeftMargin(int margin)
{
    setMargin(margins_.left, margin);
    relayout();
}

void TSaNumEdit::setRightMargin(int margin)
{
    setMargin(margins_.right, margin);
    relayout();
}

void TSaNumEdit::setTopMargin(int margin)
{
    setMargin(margins_.top, margin);
    relayout();
}

void TSaNumEdit::setBottomMargin(int margin)
{
    setMargin(margins_.bottom, margin);
    relayout();
}

void TSaNumEdit::setAutoSize(bool on)
{
    autoSize_ = on;
    relayout();
}

QColor TSaNumEdit::disabledColor() const
{
    return disabledColor_.isValid() ? disabledColor_ : palette().color(QPalette::Disabled, QPalette::Text);
}

void TSaNumEdit::setDisabledColor(const QColor& colour)
{
    disabledColor_ = colour;
    update();
}

// The window colour in every state: disabling greys the text, not the field.
QColor TSaNumEdit::color() const
{
    return color_.isValid() ? color_ : palette().color(QPalette::Active, QPalette::Base);
}

void TSaNumEdit::setColor(const QColor& colour)
{
    color_ = colour;
    update();
}

void TSaNumEdit::setBorderStyle(TBorderStyle style)
{
    borderStyle_ = style;
    relayout();
}

void TSaNumEdit::setCtl3D(bool on)
{
    ctl3D_ = on;
    relayout();
}

void TSaNumEdit::setImeMode(TImeMode mode)
{
    imeMode_ = mode;
    setAttribute(Qt::WA_InputMethodEnabled, mode != imDisable);
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled);
}

void TSaNumEdit::setTabStop(bool on) { setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus); }

void TSaNumEdit::setOptions(TSaNumEditOptions options) { value_.options = options; }

int TSaNumEdit::borderWidth() const
{
    if (borderStyle_ == bsNone)
        return 0;
    return ctl3D_ ? 2 : 1;
}

QRect TSaNumEdit::clientRect() const
{
    const int b = borderWidth();
    return rect().adjusted(b, b, -b, -b);
}

int TSaNumEdit::autoHeight() const
{
    return textHeight_ + margins_.top + margins_.bottom + 2 * borderWidth();
}

QSize TSaNumEdit::sizeHint() const { return {121, autoSize_ ? autoHeight() : 20}; }

QSize TSaNumEdit::minimumSizeHint() const { return {0, autoSize_ ? autoHeight() : 0}; }

// Marks take room only with a value or a fixed layout; the number area is at
// least as wide as the number.
numedit::Widths TSaNumEdit::widthsFor(const std::string& value) const
{
    const QFontMetrics metrics(font());
    const numedit::Limits& limits = value_.limits();
    const numedit::Format& format = value_.format();
    numedit::Widths w;
    w.number = metrics.horizontalAdvance(QString::fromStdString(numedit::formatNumber(value, limits, format)));
    w.area = std::max(
        w.number, metrics.horizontalAdvance(QString::fromStdString(numedit::numberAreaSample(value, limits, format))));
    if (numedit::marksTakeRoom(value, format)) {
        w.leftMark = metrics.horizontalAdvance(leftMark());
        w.rightMark = metrics.horizontalAdvance(rightMark());
    }
    return w;
}

numedit::Placement TSaNumEdit::placementFor(const std::string& value) const
{
    static constexpr numedit::HAlign horizontal[] = {numedit::HAlign::Left, numedit::HAlign::Right,
                                                     numedit::HAlign::Centre};
    static constexpr numedit::VAlign vertical[] = {numedit::VAlign::Top, numedit::VAlign::Bottom,
                                                   numedit::VAlign::Centre};
    const QRect client = clientRect();
    return numedit::place(client.width(), client.height(), textHeight_, margins_, horizontal[alignment_],
                          vertical[vertAlignment_], widthsFor(value));
}

// The font's line height, which is what a measured "M" gives.
void TSaNumEdit::takeTextHeight() { textHeight_ = QFontMetrics(font()).height(); }

void TSaNumEdit::relayout()
{
    if (autoSize_) {
        setFixedHeight(autoHeight());
    } else {
        setMinimumHeight(0);
        setMaximumHeight(QWIDGETSIZE_MAX);
    }
    updateGeometry();
    update();
    updateMicroFocus();
}

void TSaNumEdit::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::ParentChange:
        takeTextHeight();
        relayout();
        break;
    case QEvent::EnabledChange:
    case QEvent::PaletteChange:
        update();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

} // namespace pravik
