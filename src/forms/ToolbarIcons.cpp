#include "ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <functional>
#include <map>

namespace pravik {

namespace {

const QColor outline(60, 60, 60);
const QColor paper(255, 255, 255);
const QColor blue(46, 110, 190);
const QColor green(40, 150, 70);
const QColor red(200, 50, 50);
const QColor yellow(240, 196, 80);

using Drawing = std::function<void(QPainter&)>;

void drawPage(QPainter& p, const QRectF& r)
{
    const qreal fold = r.width() * 0.3;
    QPainterPath page;
    page.moveTo(r.topLeft());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.bottomRight());
    page.lineTo(r.bottomLeft());
    page.closeSubpath();
    p.setPen(QPen(outline, 1));
    p.setBrush(paper);
    p.drawPath(page);
    p.drawPolyline(QPolygonF({QPointF(r.right() - fold, r.top()),
                              QPointF(r.right() - fold, r.top() + fold),
                              QPointF(r.right(), r.top() + fold)}));
}

void drawArrow(QPainter& p, bool up)
{
    QPainterPath arrow;
    const qreal tip = up ? 3.5 : 20.5;
    const qreal base = up ? 12 : 12;
    const qreal tail = up ? 20.5 : 3.5;
    arrow.moveTo(12, tip);
    arrow.lineTo(20.5, base);
    arrow.lineTo(15.5, base);
    arrow.lineTo(15.5, tail);
    arrow.lineTo(8.5, tail);
    arrow.lineTo(8.5, base);
    arrow.lineTo(3.5, base);
    arrow.closeSubpath();
    p.setPen(QPen(blue.darker(140), 1));
    p.setBrush(blue);
    p.drawPath(arrow);
}

void drawLines(QPainter& p, qreal left, qreal right, qreal top, int count)
{
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(left, top + i * 3), QPointF(right, top + i * 3));
}

const std::map<QString, Drawing>& drawings()
{
    static const std::map<QString, Drawing> all = {
        {QStringLiteral("print"), [](QPainter& p) {
             drawPage(p, QRectF(6.5, 1.5, 11, 9));
             p.setPen(QPen(outline, 1));
             p.setBrush(QColor(200, 205, 215));
             p.drawRoundedRect(QRectF(1.5, 9.5, 21, 9), 2, 2);
             p.setBrush(paper);
             p.drawRect(QRectF(6.5, 15.5, 11, 7));
             drawLines(p, 8.5, 15.5, 18, 2);
             p.setPen(Qt::NoPen);
             p.setBrush(green);
             p.drawEllipse(QPointF(19, 12.5), 1.2, 1.2);
         }},
        {QStringLiteral("new"), [](QPainter& p) {
             drawPage(p, QRectF(4.5, 1.5, 15, 21));
             p.setPen(Qt::NoPen);
             p.setBrush(yellow);
             QPainterPath star;
             for (int i = 0; i < 10; ++i) {
                 const qreal radius = i % 2 == 0 ? 5 : 2;
                 const qreal angle = -M_PI / 2 + i * M_PI / 5;
                 const QPointF point(7 + radius * std::cos(angle), 7 + radius * std::sin(angle));
                 i == 0 ? star.moveTo(point) : star.lineTo(point);
             }
             star.closeSubpath();
             p.drawPath(star);
         }},
        {QStringLiteral("open"), [](QPainter& p) {
             p.setPen(QPen(outline, 1));
             p.setBrush(yellow.darker(115));
             p.drawRect(QRectF(1.5, 5.5, 18, 15));
             p.drawRect(QRectF(1.5, 3.5, 7, 2));
             p.setBrush(yellow);
             QPainterPath front;
             front.moveTo(4.5, 10.5);
             front.lineTo(22.5, 10.5);
             front.lineTo(19.5, 20.5);
             front.lineTo(1.5, 20.5);
             front.closeSubpath();
             p.drawPath(front);
         }},
        {QStringLiteral("save"), [](QPainter& p) {
             p.setPen(QPen(outline, 1));
             p.setBrush(blue);
             p.drawRoundedRect(QRectF(2.5, 2.5, 19, 19), 2, 2);
             p.setBrush(paper);
             p.drawRect(QRectF(6.5, 2.5, 11, 7));
             p.setBrush(QColor(220, 220, 220));
             p.drawRect(QRectF(6.5, 13.5, 11, 8));
             p.setPen(Qt::NoPen);
             p.setBrush(outline);
             p.drawRect(QRectF(13.5, 4, 2, 4));
         }},
        {QStringLiteral("add"), [](QPainter& p) {
             drawPage(p, QRectF(2.5, 1.5, 14, 19));
             drawLines(p, 5, 13, 8, 3);
             p.setPen(QPen(green.darker(130), 1));
             p.setBrush(green);
             p.drawEllipse(QPointF(17, 17), 5.5, 5.5);
             p.setPen(QPen(Qt::white, 2));
             p.drawLine(QPointF(17, 14), QPointF(17, 20));
             p.drawLine(QPointF(14, 17), QPointF(20, 17));
         }},
        {QStringLiteral("delete"), [](QPainter& p) {
             drawPage(p, QRectF(2.5, 1.5, 14, 19));
             drawLines(p, 5, 13, 8, 3);
             p.setPen(QPen(red, 3, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(13, 13), QPointF(21, 21));
             p.drawLine(QPointF(21, 13), QPointF(13, 21));
         }},
        {QStringLiteral("settings"), [](QPainter& p) {
             p.setPen(QPen(outline, 1));
             p.setBrush(QColor(170, 175, 185));
             QPainterPath gear;
             for (int i = 0; i < 16; ++i) {
                 const qreal radius = (i / 2) % 2 == 0 ? 10 : 7.5;
                 const qreal angle = i * M_PI / 8 + M_PI / 16;
                 const QPointF point(12 + radius * std::cos(angle), 12 + radius * std::sin(angle));
                 i == 0 ? gear.moveTo(point) : gear.lineTo(point);
             }
             gear.closeSubpath();
             QPainterPath hole;
             hole.addEllipse(QPointF(12, 12), 3.5, 3.5);
             p.drawPath(gear.subtracted(hole));
         }},
        {QStringLiteral("view"), [](QPainter& p) {
             p.setPen(QPen(outline, 1));
             p.setBrush(paper);
             p.drawRect(QRectF(2.5, 3.5, 19, 17));
             for (int i = 0; i < 4; ++i) {
                 p.setPen(Qt::NoPen);
                 p.setBrush(blue);
                 p.drawRect(QRectF(4.5, 6 + i * 3.6, 3, 2.4));
                 p.setPen(QPen(QColor(120, 120, 120), 1));
                 p.drawLine(QPointF(9.5, 7.2 + i * 3.6), QPointF(19.5, 7.2 + i * 3.6));
             }
         }},
        {QStringLiteral("up"), [](QPainter& p) { drawArrow(p, true); }},
        {QStringLiteral("down"), [](QPainter& p) { drawArrow(p, false); }},
    };
    return all;
}

QPixmap render(const Drawing& drawing, int scale)
{
    QPixmap pixmap(24 * scale, 24 * scale);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    drawing(p);
    return pixmap;
}

} // namespace

QIcon toolbarIcon(const QString& name)
{
    const auto found = drawings().find(name);
    if (found == drawings().end())
        return {};
    QIcon icon;
    for (int scale : {1, 2})
        icon.addPixmap(render(found->second, scale));
    return icon;
}

} // namespace pravik
