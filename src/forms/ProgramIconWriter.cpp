// Writes the program's icon as a Windows icon file for the executable:
//   program_icon_writer FILE.ico
// Run on the build machine (resources/windows/pravik.ico is its output), so
// that Explorer shows the picture the windows draw.
#include "ProgramIcon.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

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

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: program_icon_writer FILE.ico\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly)
        || file.write(iconFile(pravik::programIcon(), {16, 20, 24, 32, 40, 48, 64, 256})) < 0) {
        std::fprintf(stderr, "program_icon_writer: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
