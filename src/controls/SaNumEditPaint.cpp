#include "SaNumEdit.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QTimerEvent>
#include <qdrawutil.h>

namespace pravik {

void TSaNumEdit::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (borderStyle_ == bsSingle) {
        if (ctl3D_) {
            qDrawWinPanel(&painter, rect(), palette(), true);
        } else {
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
        }
    }
    const QRect client = clientRect();
    painter.fillRect(client, color());
    painter.setClipRect(client);
    painter.translate(client.topLeft());

    const std::string& value = value_.text();
    const numedit::Placement at = placementFor(value);
    const QString number = QString::fromStdString(value_.numberText());
    if (!number.isEmpty()) {
        QColor ink = palette().color(QPalette::Text);
        if (!isEnabled()) {
            ink = disabledColor();
        } else if (value_.selected()) {
            ink = palette().color(QPalette::HighlightedText);
            painter.fillRect(QRect(at.groupLeft, at.lineTop, at.groupWidth, textHeight_),
                             palette().color(QPalette::Highlight));
        }
        painter.setPen(ink);
        const int baseline = at.lineTop + QFontMetrics(font()).ascent();
        painter.drawText(at.leftMarkX, baseline, leftMark());
        painter.drawText(at.numberX, baseline, number);
        painter.drawText(at.rightMarkX, baseline, rightMark());
    }
    if (caretShown_ && hasFocus())
        painter.fillRect(caretRect().translated(-client.topLeft()), palette().color(QPalette::Text));
}

// At the right end of the number, one text line tall, in widget coordinates.
QRect TSaNumEdit::caretRect() const
{
    const numedit::Placement at = placementFor(value_.text());
    const int width = font().bold() ? 2 : 1;
    return QRect(at.numberRight(), at.lineTop, width, textHeight_).translated(clientRect().topLeft());
}

// Shown at once after every step, so the caret never blinks away while typing.
void TSaNumEdit::restartCaret()
{
    caretShown_ = hasFocus();
    const int flash = QApplication::cursorFlashTime();
    if (caretShown_ && flash > 0)
        caretTimer_.start(flash / 2, this);
    else
        caretTimer_.stop();
    update();
}

void TSaNumEdit::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != caretTimer_.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    caretShown_ = !caretShown_ && hasFocus();
    update();
}

} // namespace pravik
