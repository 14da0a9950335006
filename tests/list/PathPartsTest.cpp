#include "PathParts.h"

#include <gtest/gtest.h>

using namespace pravik;

TEST(PathParts, FileNameIsTheTextAfterTheLastSeparator)
{
    EXPECT_EQ(fileNamePart("C:\\lists\\week.lst"), "week.lst");
    EXPECT_EQ(fileNamePart("/home/user/week.lst"), "week.lst");
    EXPECT_EQ(fileNamePart("C:week.lst"), "week.lst");
    EXPECT_EQ(fileNamePart("week.lst"), "week.lst");
    EXPECT_EQ(fileNamePart("C:\\lists\\"), "");
    EXPECT_EQ(fileNamePart(""), "");
}

TEST(PathParts, ColonInsideALinuxNameIsPartOfTheName)
{
    EXPECT_EQ(fileNamePart("/home/user/report:v2.doc"), "report:v2.doc");
}

TEST(PathParts, TrailByteThatLooksLikeABackslashDoesNotSplit)
{
    // "表" is 0x95 0x5C in CP932: its trail byte is the backslash's code.
    const std::string hyou = "\x95\x5C";
    EXPECT_EQ(fileNamePart("C:\\docs\\" + hyou + ".xls"), hyou + ".xls");
    EXPECT_EQ(fileNamePart("C:\\" + hyou + "\\a.doc"), "a.doc");
    EXPECT_EQ(fileNamePart(hyou), hyou);
}

TEST(PathParts, ExtensionIsTheTextAfterTheLastDotOfTheName)
{
    EXPECT_EQ(extensionPart("C:\\a.b\\report.final.DOC"), "DOC");
    EXPECT_EQ(extensionPart("C:\\a.b\\README"), "");
    EXPECT_EQ(extensionPart("/x/archive."), "");
    // A lead byte followed by 0x2E is not a dot... 0x2E can't be a trail
    // byte, but a trailing lead byte at the very end must not be read past.
    EXPECT_EQ(extensionPart("a.x\x95"), "x\x95");
}
