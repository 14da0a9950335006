#include "Error.h"
#include "PageRanges.h"

#include <gtest/gtest.h>

namespace pravik {
namespace {

TEST(PageRanges, ReadsTheFormsUsersType)
{
    EXPECT_EQ(parsePageRanges("1-10,15-30"), (std::vector<PageSpan>{{1, 10}, {15, 30}}));
    EXPECT_EQ(parsePageRanges("3"), (std::vector<PageSpan>{{3, 3}}));
    EXPECT_EQ(parsePageRanges(" 2 - 4 , 7 "), (std::vector<PageSpan>{{2, 4}, {7, 7}}));
    EXPECT_EQ(parsePageRanges("5-"), (std::vector<PageSpan>{{5, 0}}));
    EXPECT_EQ(officePageRanges(parsePageRanges(" 2 - 4 , 7,9-")), "2-4,7,9-");
}

TEST(PageRanges, RefusesWhatWouldPrintNothingOrEverything)
{
    // The office reads such texts as no pages at all, or as all of them.
    for (const char* text : {"", " ", "abc", "1,,3", "1,", ",1", "0", "3-1", "-5", "1-2-3",
                             "１-３", "1;3", "p1s1", "9999999999"})
        EXPECT_THROW(parsePageRanges(text), Error) << text;
    try {
        parsePageRanges("x");
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "ページ範囲 'x' が正しくありません（例： 1-10,15-30）");
    }
}

TEST(PageRanges, KnowsWhetherADocumentHasAnyOfThePages)
{
    EXPECT_TRUE(anyPageWithin(parsePageRanges("9-10,5"), 5));
    EXPECT_TRUE(anyPageWithin(parsePageRanges("5-"), 5));
    EXPECT_FALSE(anyPageWithin(parsePageRanges("6-8,9"), 5));
    EXPECT_FALSE(anyPageWithin(parsePageRanges("6-"), 5));
}

} // namespace
} // namespace pravik
