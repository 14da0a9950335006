#include "NumEditQtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace pravik {

bool NumEditQtClipboard::hasText() const
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

std::string NumEditQtClipboard::text() const
{
    return QGuiApplication::clipboard()->text().toStdString();
}

void NumEditQtClipboard::setText(const std::string& utf8)
{
    QGuiApplication::clipboard()->setText(QString::fromStdString(utf8));
}

} // namespace pravik
