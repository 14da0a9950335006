#include "RowMarkIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace pravik {

namespace {

using Symbol = std::function<void(QPainter&)>;

// A round badge of `fill` with a white symbol, drawn on a 16-unit grid at
// each pixel size so it stays sharp at every scale.
QIcon badge(const QColor& fill, const Symbol& symbol, bool triangle = false)
{
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        p.setPen(QPen(fill.darker(140), 1));
        p.setBrush(fill);
        if (triangle) {
            QPainterPath shape;
            shape.moveTo(8, 1);
            shape.lineTo(15.5, 14.5);
            shape.lineTo(0.5, 14.5);
            shape.closeSubpath();
            p.drawPath(shape);
        } else {
            p.drawEllipse(QRectF(1, 1, 14, 14));
        }
        QPen stroke(triangle ? QColor(40, 40, 40) : QColor(Qt::white), 2, Qt::SolidLine, Qt::RoundCap,
                    Qt::RoundJoin);
        p.setPen(stroke);
        p.setBrush(stroke.color());
        symbol(p);
        icon.addPixmap(pixmap);
    }
    return icon;
}

void tick(QPainter& p) { p.drawPolyline(QPolygonF({{4.5, 8.5}, {7, 11}, {11.5, 5}})); }
void cross(QPainter& p)
{
    p.drawLine(QPointF(5, 5), QPointF(11, 11));
    p.drawLine(QPointF(11, 5), QPointF(5, 11));
}
void info(QPainter& p)
{
    p.drawLine(QPointF(8, 7.5), QPointF(8, 11.5));
    p.drawPoint(QPointF(8, 4.5));
}
void dash(QPainter& p) { p.drawLine(QPointF(5, 8), QPointF(11, 8)); }
void pause(QPainter& p)
{
    p.drawLine(QPointF(6.5, 5), QPointF(6.5, 11));
    p.drawLine(QPointF(9.5, 5), QPointF(9.5, 11));
}
void question(QPainter& p)
{
    p.drawArc(QRectF(5.5, 3.5, 5, 4.5), 160 * 16, -250 * 16);
    p.drawLine(QPointF(8, 8), QPointF(8, 9.5));
    p.drawPoint(QPointF(8, 12.2));
}
void exclamation(QPainter& p)
{
    p.drawLine(QPointF(8, 5.5), QPointF(8, 9.5));
    p.drawPoint(QPointF(8, 12.2));
}

} // namespace

QIcon outcomeIcon(RowOutcome::Kind kind)
{
    static const QIcon printed = badge(QColor(46, 139, 87), tick);
    static const QIcon noted = badge(QColor(40, 110, 200), info);
    static const QIcon failed = badge(QColor(200, 40, 40), cross);
    static const QIcon skipped = badge(QColor(140, 140, 140), dash);
    static const QIcon notReached = badge(QColor(230, 140, 20), pause);
    static const QIcon unknown = badge(QColor(120, 80, 170), question);
    switch (kind) {
    case RowOutcome::Kind::Printed: return printed;
    case RowOutcome::Kind::PrintedWithNote: return noted;
    case RowOutcome::Kind::Failed: return failed;
    case RowOutcome::Kind::Skipped: return skipped;
    case RowOutcome::Kind::NotReached: return notReached;
    case RowOutcome::Kind::Unknown: return unknown;
    }
    return skipped;
}

QIcon unprintableIcon()
{
    static const QIcon icon = badge(QColor(245, 200, 40), exclamation, true);
    return icon;
}

} // namespace pravik
