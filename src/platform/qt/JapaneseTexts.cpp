#include "JapaneseTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <array>
#include <utility>

namespace pravik {

namespace {

// File types in the file dialogs' detail view, missing from Qt's Japanese
// translation.
class FileTypeTexts : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override
    {
        static const std::array<std::pair<const char*, const char*>, 5> texts = {{
            {"Folder", "フォルダー"},
            {"File Folder", "ファイル フォルダー"}, // Windows, as Explorer says it
            {"File", "ファイル"},
            {"%1 File", "%1 ファイル"},
            {"Drive", "ドライブ"},
        }};
        if (qstrcmp(context, "QAbstractFileIconProvider") == 0)
            for (const auto& [english, japanese] : texts)
                if (qstrcmp(sourceText, english) == 0)
                    return QString::fromUtf8(japanese);
        return QTranslator::translate(context, sourceText, disambiguation, n);
    }
    bool isEmpty() const override { return false; }
};

} // namespace

bool installJapaneseTexts(const QString& programFolder)
{
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(japanese);

    auto* translator = new QTranslator(QCoreApplication::instance());
    for (const QString& folder : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                  programFolder + QStringLiteral("/translations")}) {
        if (translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator);
            // Installed last, asked first.
            QCoreApplication::installTranslator(new FileTypeTexts(QCoreApplication::instance()));
            return true;
        }
    }
    delete translator;
    return false;
}

void useJapaneseSystemLocale()
{
    // Qt reads the locale variables once, at its first question about the
    // system locale; the office processes started later get them unchanged.
    const bool wasSet = qEnvironmentVariableIsSet("LC_ALL");
    const QByteArray saved = qgetenv("LC_ALL");
    qputenv("LC_ALL", "ja_JP.UTF-8");
    (void)QLocale::system().name();
    if (wasSet)
        qputenv("LC_ALL", saved);
    else
        qunsetenv("LC_ALL");
}

} // namespace pravik
