#include "QtText.h"

#include "TextCodec.h"

namespace pravik {

QString toQString(std::string_view cp932)
{
    return QString::fromStdString(codec::toDisplay(cp932));
}

std::string fromQString(const QString& text)
{
    return codec::fromUtf8(text.toStdString());
}

std::string pathFromQString(const QString& path)
{
    // A list file holds one field per line: a line break would shift every
    // later field, so such a name is refused before it becomes a row.
    if (path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r'))) {
        QString shown = path;
        shown.replace(QLatin1Char('\n'), QLatin1String("\\n")).replace(QLatin1Char('\r'), QLatin1String("\\r"));
        throw codec::ConversionError("ファイル名 " + shown.toStdString() + " には改行が含まれているため扱えません");
    }
    return codec::fromOsPath(std::filesystem::path(path.toStdU16String()));
}

QString pathToQString(std::string_view cp932Path)
{
    return QString::fromStdU16String(codec::toOsPath(cp932Path).u16string());
}

ShownText::ShownText(std::string stored) : stored_(std::move(stored)), shown_(toQString(stored_)) {}

std::string ShownText::bytesFor(const QString& text) const
{
    return text == shown_ ? stored_ : fromQString(text);
}

} // namespace pravik
