#include "ShellOpen.h"

#include "QtText.h"

#include <QDesktopServices>
#include <QFileInfo>

#include <exception>

namespace pravik {

bool shellOpen(const QUrl& target)
{
    return target.isValid() && QDesktopServices::openUrl(target);
}

std::string shellOpenDocument(const std::string& cp932Path)
{
    QString path;
    try {
        path = pathToQString(cp932Path);
    } catch (const std::exception& error) {
        return error.what();
    }
    // Checked here because the desktop's opener reports a missing file
    // nowhere the user would see it.
    const QFileInfo file(path);
    if (!file.exists())
        return "ファイルが見つかりません。";
    if (!file.isFile())
        return "ファイルではありません。";
    if (!shellOpen(QUrl::fromLocalFile(file.absoluteFilePath())))
        return "このファイルを開くアプリケーションを起動できません。";
    return {};
}

} // namespace pravik
