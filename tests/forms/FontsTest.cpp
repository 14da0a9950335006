#include "Fonts.h"

#include <QFontInfo>
#include <gtest/gtest.h>

using namespace pravik;

TEST(Fonts, DesignedFontResolvesToIpaPGothicInBothSpellings)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has the designed fonts; Wine has no Japanese font of Windows to resolve to";
#endif
    installJapaneseFontSubstitutes();
    EXPECT_EQ(QFontInfo(windowFont()).family(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("MS PGothic"))).family(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(windowFont().pixelSize(), 12);
}
