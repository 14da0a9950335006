#include "FileIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace pravik {

namespace {

// A folded sheet of paper with a coloured band and a letter, drawn at the
// requested pixel size so it stays sharp at every scale.
QPixmap drawDocument(int size, const QColor& band, QChar letter)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);

    QPainterPath sheet;
    sheet.moveTo(2.5, 0.5);
    sheet.lineTo(10.5, 0.5);
    sheet.lineTo(14.5, 4.5);
    sheet.lineTo(14.5, 15.5);
    sheet.lineTo(2.5, 15.5);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.drawLine(QPointF(10.5, 0.5), QPointF(10.5, 4.5));
    p.drawLine(QPointF(10.5, 4.5), QPointF(14.5, 4.5));

    p.setPen(Qt::NoPen);
    p.setBrush(band);
    p.drawRoundedRect(QRectF(0.5, 6, 10, 8.5), 1.2, 1.2);
    if (!letter.isNull()) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(8);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(0.5, 6, 10, 8.5), Qt::AlignCenter, QString(letter));
    }
    return pixmap;
}

QIcon makeIcon(const QColor& band, QChar letter)
{
    QIcon icon;
    for (int size : {16, 32})
        icon.addPixmap(drawDocument(size, band, letter));
    return icon;
}

} // namespace

QIcon FileIcons::icon(DocumentKind kind)
{
    static const QIcon word = makeIcon(QColor(43, 87, 154), QLatin1Char('W'));
    static const QIcon excel = makeIcon(QColor(33, 115, 70), QLatin1Char('X'));
    static const QIcon other = makeIcon(QColor(128, 128, 128), QChar());
    switch (kind) {
    case DocumentKind::Word: return word;
    case DocumentKind::Excel: return excel;
    case DocumentKind::Other: break;
    }
    return other;
}

} // namespace pravik
