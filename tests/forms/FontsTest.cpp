#include "Fonts.h"

#include <QFontInfo>
#include <gtest/gtest.h>

using namespace pravik;

TEST(Fonts, DesignedFontResolvesToIpaPGothicInBothSpellings)
{
    installJapaneseFontSubstitutes();
    EXPECT_EQ(QFontInfo(windowFont()).family(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("MS PGothic"))).family(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(windowFont().pixelSize(), 12);
}
