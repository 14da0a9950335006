#include "DocumentFilters.h"

#include <QStringList>

namespace pravik {

QString documentFilter(const QString& caption, std::initializer_list<DocumentKind> kinds)
{
    QStringList lower;
    for (const DocumentKind kind : kinds)
        for (const std::string_view extension : documentExtensions(kind))
            lower << QStringLiteral("*.") + QString::fromLatin1(extension.data(), static_cast<qsizetype>(extension.size()));
    QStringList patterns = lower;
    for (const QString& pattern : lower)
        patterns << pattern.toUpper();
    return caption + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

} // namespace pravik
