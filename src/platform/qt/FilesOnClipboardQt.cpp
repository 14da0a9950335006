#include "FileClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace pravik {

void putFilesOnClipboard(const std::vector<std::string>& cp932Paths, DropEffect effect)
{
    QGuiApplication::clipboard()->setMimeData(fileListMimeData(cp932Paths, effect).release());
}

} // namespace pravik
