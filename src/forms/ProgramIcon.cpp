#include "ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace pravik {

namespace {

const QColor outline(45, 55, 70);
const QColor paper(255, 255, 255);
const QColor body(70, 110, 170);
const QColor bodyLight(120, 160, 215);
const QColor wordBlue(40, 90, 180);
const QColor excelGreen(30, 130, 70);

} // namespace

void drawProgramIcon(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    // Two documents waiting their turn, one of each kind.
    p.setPen(QPen(outline, 2));
    p.setBrush(paper);
    p.drawRect(QRectF(30, 3, 24, 30));
    p.setPen(Qt::NoPen);
    p.setBrush(excelGreen);
    p.drawRect(QRectF(35, 9, 14, 3));
    p.drawRect(QRectF(35, 15, 14, 3));
    p.setPen(QPen(outline, 2));
    p.setBrush(paper);
    p.drawRect(QRectF(14, 7, 24, 30));
    p.setPen(Qt::NoPen);
    p.setBrush(wordBlue);
    p.drawRect(QRectF(19, 13, 14, 3));
    p.drawRect(QRectF(19, 19, 10, 3));

    // The printer.
    QLinearGradient shade(0, 26, 0, 52);
    shade.setColorAt(0, bodyLight);
    shade.setColorAt(1, body);
    p.setPen(QPen(outline, 2));
    p.setBrush(shade);
    p.drawRoundedRect(QRectF(4, 27, 56, 25), 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 230, 120));
    p.drawEllipse(QPointF(52, 34), 2.5, 2.5);

    // The printed page coming out.
    p.setPen(QPen(outline, 2));
    p.setBrush(paper);
    p.drawRect(QRectF(16, 43, 32, 18));
    p.setPen(QPen(QColor(150, 150, 150), 2));
    p.drawLine(QPointF(21, 50), QPointF(43, 50));
    p.drawLine(QPointF(21, 55), QPointF(37, 55));
}

QIcon programIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.scale(size / 64.0, size / 64.0);
        drawProgramIcon(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace pravik
