#include "FileClipboard.h"

#include "QtText.h"

#include <QFileInfo>
#include <QUrl>

namespace pravik {

std::unique_ptr<QMimeData> fileListMimeData(const std::vector<std::string>& cp932Paths, DropEffect effect)
{
    const bool cut = effect == DropEffect::Move;
    QByteArray uriList;
    QByteArray gnome = cut ? "cut" : "copy";
    QStringList paths;
    for (const std::string& cp932Path : cp932Paths) {
        const QString path = pathToQString(cp932Path);
        const QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded();
        uriList += uri + "\r\n";
        gnome += "\n" + uri;
        paths << path;
    }
    auto data = std::make_unique<QMimeData>();
    data->setData(QStringLiteral("text/uri-list"), uriList);
    data->setData(QStringLiteral("x-special/gnome-copied-files"), gnome);
    data->setData(QStringLiteral("application/x-kde-cutselection"), cut ? "1" : "0");
    data->setText(paths.join(QLatin1Char('\n')));
    return data;
}

} // namespace pravik
