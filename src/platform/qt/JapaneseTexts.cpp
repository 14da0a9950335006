#include "JapaneseTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace pravik {

bool installJapaneseTexts(const QString& programFolder)
{
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(japanese);

    auto* translator = new QTranslator(QCoreApplication::instance());
    for (const QString& folder : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                  programFolder + QStringLiteral("/translations")}) {
        if (translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"), folder))
            return QCoreApplication::installTranslator(translator);
    }
    delete translator;
    return false;
}

} // namespace pravik
