// Writes the program's icon as files for the desktop, so that Explorer and
// the desktop's menus show the picture the windows draw:
//   program_icon_writer FILE.ico       the Windows executable's icon
//                                      (resources/windows/pravik.ico)
//   program_icon_writer --hicolor DIR  DIR/<size>/apps/pravik.png and
//                                      DIR/scalable/apps/pravik.svg, the
//                                      hicolor theme's files, made by the build
#include "ProgramIcon.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>
#include <string_view>

namespace {

void appendLittleEndian16(QByteArray& out, quint16 value)
{
    out.append(static_cast<char>(value & 0xff)).append(static_cast<char>(value >> 8));
}

void appendLittleEndian32(QByteArray& out, quint32 value)
{
    appendLittleEndian16(out, static_cast<quint16>(value & 0xffff));
    appendLittleEndian16(out, static_cast<quint16>(value >> 16));
}

// An icon file of PNG images, one per size, as Windows reads it since Vista.
QByteArray iconFile(const QIcon& icon, const QList<int>& sizes)
{
    QList<QByteArray> images;
    for (const int size : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG");
        images.append(png);
    }
    QByteArray out;
    appendLittleEndian16(out, 0); // reserved
    appendLittleEndian16(out, 1); // an icon, not a cursor
    appendLittleEndian16(out, static_cast<quint16>(sizes.size()));
    quint32 offset = 6 + 16 * static_cast<quint32>(sizes.size());
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        const int size = sizes[i];
        out.append(static_cast<char>(size >= 256 ? 0 : size)); // 0 stands for 256
        out.append(static_cast<char>(size >= 256 ? 0 : size));
        out.append('\0').append('\0'); // no palette, reserved
        appendLittleEndian16(out, 1);  // planes
        appendLittleEndian16(out, 32); // bits per pixel
        appendLittleEndian32(out, static_cast<quint32>(images[i].size()));
        appendLittleEndian32(out, offset);
        offset += static_cast<quint32>(images[i].size());
    }
    for (const QByteArray& image : images)
        out.append(image);
    return out;
}

// Each size drawn afresh rather than scaled from another, as the windows do.
bool writeHicolorTheme(const QString& root)
{
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.scale(size / 64.0, size / 64.0);
        pravik::drawProgramIcon(painter);
        painter.end();
        if (!QDir().mkpath(folder) || !image.save(folder + QStringLiteral("/pravik.png"), "PNG"))
            return false;
    }
    const QString folder = root + QStringLiteral("/scalable/apps");
    if (!QDir().mkpath(folder))
        return false;
    QSvgGenerator svg;
    svg.setFileName(folder + QStringLiteral("/pravik.svg"));
    svg.setSize(QSize(64, 64));
    svg.setViewBox(QRect(0, 0, 64, 64));
    svg.setTitle(QStringLiteral("Pravik"));
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    pravik::drawProgramIcon(painter);
    return painter.end();
}

} // namespace

int main(int argc, char** argv)
{
    const bool hicolor = argc == 3 && std::string_view(argv[1]) == "--hicolor";
    if (argc != 2 && !hicolor) {
        std::fprintf(stderr, "usage: program_icon_writer FILE.ico | --hicolor DIR\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (hicolor) {
        if (writeHicolorTheme(QString::fromLocal8Bit(argv[2])))
            return 0;
        std::fprintf(stderr, "program_icon_writer: cannot write the icons into %s\n", argv[2]);
        return 1;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly)
        || file.write(iconFile(pravik::programIcon(), {16, 20, 24, 32, 40, 48, 64, 256})) < 0) {
        std::fprintf(stderr, "program_icon_writer: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
