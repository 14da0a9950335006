#include "Fonts.h"

#include <QStringList>

namespace pravik {

void installJapaneseFontSubstitutes()
{
#ifdef _WIN32
    // Japanese Windows has the designed fonts; where they are missing, the
    // system's Japanese interface fonts stand in.
    const QStringList systemJapanese = {QStringLiteral("Yu Gothic UI"), QStringLiteral("Meiryo UI"),
                                        QStringLiteral("MS UI Gothic")};
    for (const char* family : {"ＭＳ Ｐゴシック", "MS PGothic", "ＭＳ ゴシック", "MS Gothic"})
        QFont::insertSubstitutions(QString::fromUtf8(family), systemJapanese);
#else
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"));
#endif
}

QFont windowFont()
{
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    // Whatever stands in for a missing font is a Gothic one, never a serif.
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace pravik
