#include "NumEditLayout.h"
#include "NumEditText.h"

#include <gtest/gtest.h>

using namespace pravik::numedit;

namespace {

std::string norm(std::string_view text, Limits limits = {})
{
    return normalise(text, limits).text;
}

Limits lengths(int integer, int decimal, bool minus = true) { return {integer, decimal, minus}; }

} // namespace

TEST(NumEditNormalise, TooManyIntegerDigitsEmptiesTheText)
{
    const Normalised n = normalise("1000", lengths(3, 0));
    EXPECT_EQ(n.text, "");
    EXPECT_TRUE(n.tooLong);
    EXPECT_EQ(norm("1,000", lengths(3, 0)), "");
    EXPECT_EQ(norm("-999", lengths(3, 0)), "-999"); // the sign is not a digit
    EXPECT_FALSE(normalise("999", lengths(3, 0)).tooLong);
}

TEST(NumEditNormalise, StopsAtTheFirstCharacterThatDoesNotBelong)
{
    EXPECT_EQ(norm("12ab"), "12");
    EXPECT_EQ(norm("1-2"), "1");
    EXPECT_EQ(norm("1.2.3"), "1.2");
    EXPECT_EQ(norm("2.5", lengths(3, 0)), "2");
    EXPECT_EQ(norm(" 5"), "");
    EXPECT_EQ(norm("1ｱ2"), "1"); // half-width katakana
    EXPECT_EQ(norm("12あ34"), "12");
}

TEST(NumEditNormalise, MinusOnlyInFrontAndOnlyWhenAllowed)
{
    EXPECT_EQ(norm("-3"), "-3");
    EXPECT_EQ(norm("-3", lengths(9, 3, false)), "");
    EXPECT_EQ(norm("--3"), "-");
}

TEST(NumEditNormalise, SurplusDecimalsAreCut)
{
    EXPECT_EQ(norm("1.23456"), "1.234");
    EXPECT_EQ(norm("1.29", lengths(9, 1)), "1.2");
}

TEST(NumEditNormalise, FullWidthFormsBecomeAscii)
{
    EXPECT_EQ(norm("０５"), "05");
    EXPECT_EQ(norm("－１，２３４．５"), "-1234.5");
    EXPECT_EQ(norm("−7"), "-7"); // the JIS minus, as the codec reads 0x817C too
}

TEST(NumEditNormalise, MalformedUtf8EndsTheText)
{
    EXPECT_EQ(norm("12\xff" "34"), "12");
    EXPECT_EQ(norm("1\xef\xbc"), "1");        // cut in the middle of a character
    EXPECT_EQ(norm("\xc0\xb0" "5"), "");      // an overlong "0"
    EXPECT_EQ(norm("7\xe0\x80\xb0"), "7");    // an overlong "0" in three bytes
}

TEST(NumEditStrip, DropsLeadingZerosOfTheIntegerPart)
{
    EXPECT_EQ(stripLeadingZeros("007"), "7");
    EXPECT_EQ(stripLeadingZeros("000"), "0");
    EXPECT_EQ(stripLeadingZeros("-.5"), "-0.5");
    EXPECT_EQ(stripLeadingZeros("."), "0.");
    EXPECT_EQ(stripLeadingZeros("-007.050"), "-7.050");
    EXPECT_EQ(stripLeadingZeros("-"), "-");
    EXPECT_EQ(stripLeadingZeros(""), "");
    EXPECT_EQ(stripLeadingZeros("100"), "100");
}

TEST(NumEditFormat, CommaGroupsIntegerDigitsByThree)
{
    const Limits limits;
    Format format;
    EXPECT_EQ(formatNumber("1234567", limits, format), "1,234,567");
    EXPECT_EQ(formatNumber("-1234.567", limits, format), "-1,234.567");
    EXPECT_EQ(formatNumber("123", limits, format), "123");
    EXPECT_EQ(formatNumber("123456", limits, format), "123,456");
    format.comma = false;
    EXPECT_EQ(formatNumber("1234567", limits, format), "1234567");
}

TEST(NumEditFormat, FixedDecimalsAndIntegers)
{
    const Limits limits = lengths(9, 2);
    Format format;
    format.decimalFixed = true;
    EXPECT_EQ(formatNumber("1.5", limits, format), "1.50");
    EXPECT_EQ(formatNumber("", limits, format), "0.00");
    EXPECT_EQ(formatNumber("-", limits, format), "-0.00");
    format.decimalFixed = false;
    format.integerFixed = true;
    EXPECT_EQ(formatNumber("", limits, format), "0");
    EXPECT_EQ(formatNumber("0.", limits, format), "0.");
    format.integerFixed = false;
    EXPECT_EQ(formatNumber("", limits, format), "");
    EXPECT_EQ(formatNumber("-", limits, format), "-");
}

TEST(NumEditFormat, MarksOnlyAroundANumber)
{
    Format format;
    format.leftMark = "¥";
    format.rightMark = "円";
    EXPECT_EQ(formatDisplay("1234", {}, format), "¥1,234円");
    EXPECT_EQ(formatDisplay("", {}, format), "");
    format.integerFixed = true;
    EXPECT_EQ(formatDisplay("", {}, format), "¥0円");
}

TEST(NumEditFormat, NumberAreaReservesTheFixedForms)
{
    const Limits limits = lengths(5, 3);
    Format format;
    EXPECT_EQ(numberAreaSample("12", limits, format), "12");
    format.integerFixed = true;
    EXPECT_EQ(numberAreaSample("12", limits, format), "-00,000");
    EXPECT_EQ(numberAreaSample("12", lengths(5, 3, false), format), "00,000");
    format.integerFixed = false;
    format.decimalFixed = true;
    EXPECT_EQ(numberAreaSample("1.5", limits, format), "1.000");
    EXPECT_EQ(numberAreaSample("", limits, format), "0.000");
    EXPECT_TRUE(marksTakeRoom("", format));
    EXPECT_FALSE(marksTakeRoom("", Format{}));
    EXPECT_TRUE(marksTakeRoom("-", Format{}));
}

TEST(NumEditLayout, GroupPlacedByAlignmentAndNumberRightAligned)
{
    const Margins margins; // 2 each
    const Widths widths{10, 30, 20, 6};
    Placement left = place(100, 20, 12, margins, HAlign::Left, VAlign::Top, widths);
    EXPECT_EQ(left.groupLeft, 2);
    EXPECT_EQ(left.groupWidth, 46);
    EXPECT_EQ(left.leftMarkX, 2);
    EXPECT_EQ(left.numberX, 2 + 10 + 10);
    EXPECT_EQ(left.rightMarkX, 2 + 10 + 30);
    EXPECT_EQ(left.numberRight(), left.rightMarkX);
    EXPECT_EQ(left.lineTop, 2);

    const Placement right = place(100, 20, 12, margins, HAlign::Right, VAlign::Bottom, widths);
    EXPECT_EQ(right.groupLeft + right.groupWidth - 1, 100 - 2 - 1);
    EXPECT_EQ(right.lineTop, 20 - 2 - 12);

    // Halves truncated: 2 + 96/2 - 47/2 = 27; 2 + 17/2 - 12/2 = 4.
    const Placement centre = place(100, 21, 12, margins, HAlign::Centre, VAlign::Centre, Widths{10, 31, 31, 6});
    EXPECT_EQ(centre.groupLeft, 27);
    EXPECT_EQ(centre.lineTop, 4);
    EXPECT_EQ(roomWidth(100, margins), 96);
}
