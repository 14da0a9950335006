#include "Error.h"
#include "PageRanges.h"

#include <gtest/gtest.h>

namespace pravik {
namespace {

TEST(PageRanges, ReadsTheFormsUsersType)
{
    EXPECT_EQ(officePageRanges(parsePageRanges("1-10,15-30")), "1-10,15-30");
    EXPECT_EQ(parsePageRanges(" 2 - 4 , 7 "), (std::vector<PageSpan>{{{2}, {4}}, {{7}, {7}}}));
    EXPECT_EQ(parsePageRanges("5-"), (std::vector<PageSpan>{{{5}, {}}}));
    EXPECT_EQ(officePageRanges(parsePageRanges(" 2 - 4 , 7,9-")), "2-4,7,9-");
    // Word's sections, whose page numbers may start again in each.
    EXPECT_EQ(officePageRanges(parsePageRanges("p1s2-P3S2, s4 ,p2s5")), "p1s2-p3s2,s4,p2s5");
    EXPECT_EQ(parsePageRanges("2-p1s3"), (std::vector<PageSpan>{{{2, 0}, {1, 3}}}));
    // As a Japanese input method types them (CP932).
    const std::pair<const char*, const char*> fullWidth[] = {
        {"\x82\x51\x81\x43\x82\x53", "2,4"},                 // ２，４
        {"\x82\x50\x81\x7c\x82\x52\x81\x41\x82\x54\x81\x5b", "1-3,5-"}, // １－３、５ー
        {"\x82\x50\x81\x60\x82\x52\x81\x40", "1-3"},        // １～３ and an ideographic space
        {"\x82\x90\x82\x50\x82\x93\x82\x51", "p1s2"},      // ｐ１ｓ２
    };
    for (const auto& [typed, ascii] : fullWidth)
        EXPECT_EQ(officePageRanges(parsePageRanges(typed)), ascii) << ascii;
}

TEST(PageRanges, RefusesWhatWouldPrintNothingOrEverything)
{
    // The office reads such texts as no pages at all, or as all of them.
    for (const char* text : {"", " ", "abc", "1,,3", "1,", ",1", "0", "3-1", "-5", "1-2-3",
                             "1;3", "\x82\x60", "p1", "s", "p1s", "p1s2-", "p1s3-p1s2", "9999999999"})
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
    EXPECT_TRUE(anyPageWithin(parsePageRanges("6,p9s2"), 5)) << "a section's pages are Word's to count";
}

} // namespace
} // namespace pravik
