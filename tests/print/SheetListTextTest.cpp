#include "SheetListText.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

using namespace pravik;
using Names = std::vector<std::string>;

namespace {

std::string sjis(const char* utf8)
{
    return codec::fromUtf8(utf8);
}

} // namespace

TEST(SheetListWriter, QuotesCheckedNamesInListOrder)
{
    EXPECT_EQ(writeSheetList(CheckItems()), "");
    EXPECT_EQ(writeSheetList(CheckItems({{"A", false}, {"B", false}})), "");
    EXPECT_EQ(writeSheetList(CheckItems({{"A", true}})), "\"A\"");
    EXPECT_EQ(writeSheetList(CheckItems({{"A, B", true}, {"skip", false}, {"C", true}})),
              "\"A, B\",\"C\"");
    EXPECT_EQ(writeSheetList(CheckItems({{"", true}})), "\"\"");
}

TEST(SheetListWriter, RefusesOnlyCheckedNamesWithAQuote)
{
    EXPECT_EQ(writeSheetList(CheckItems({{"A", true}, {"a\"b", true}})), std::nullopt);
    EXPECT_EQ(writeSheetList(CheckItems({{"A", true}, {"a\"b", false}})), "\"A\"");
}

TEST(SheetListReader, CommaTextRule)
{
    const struct {
        const char* text;
        Names names;
    } cases[] = {
        {"", {}},
        {" \t\r\n", {}},
        {"\"a\",\"b c\"", {"a", "b c"}},
        {"a,b", {"a", "b"}},
        {"Sheet 1", {"Sheet", "1"}},
        {"a,,b", {"a", "", "b"}},
        {"\"a\"\"b\"", {"a\"b"}},
        {"\"Sales", {"Sales"}},          // unclosed quote takes the rest
        {"\"a\"\"b", {"a\"b"}},          // ... with its pairs still undone
        {"\"a,b\" , \"c\"", {"a,b", "c"}},
        {"  a , b  ", {"a", "b"}},
        {"a,", {"a"}},
        {",a", {"", "a"}},
        {"\"\"", {""}},
        {"\"a\"b,c", {"a", "b", "c"}},
        {"a\"b", {"a\"b"}},               // a quote inside an unquoted name is plain
        {"a\tb\x01" "c", {"a", "b", "c"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readSheetList(c.text), c.names) << '[' << c.text << ']';
}

TEST(SheetListReader, DoubleByteCharactersStayWhole)
{
    const std::string name = sjis("集計 表");
    EXPECT_EQ(readSheetList("\"Sheet1\",\"" + name + "\""), (Names{"Sheet1", name}));
    EXPECT_EQ(readSheetList(sjis("売上,経費")), (Names{sjis("売上"), sjis("経費")}));
    // A byte after a lead byte is its trail byte, whatever it looks like.
    EXPECT_EQ(readSheetList("\x81,b"), (Names{"\x81,b"}));
    EXPECT_EQ(readSheetList("\x81 b"), (Names{"\x81 b"}));
    EXPECT_EQ(readSheetList("\"\x81\"x\",y"), (Names{"\x81\"x", "y"}));
    // A high byte that is not a lead byte is one character of the name.
    EXPECT_EQ(readSheetList("\xA0,b"), (Names{"\xA0", "b"}));
}

TEST(SheetListReader, LeadByteAtTheEndStopsThere)
{
    // The byte past the view is a quote that must not be read.
    const char buffer[] = "ab\x81\",\"z\"";
    EXPECT_EQ(readSheetList(std::string_view(buffer, 3)), (Names{"ab\x81"}));
    EXPECT_EQ(readSheetList(std::string_view("\"\x81\"", 2)), (Names{"\x81"}));
}

TEST(SheetListText, WrittenNamesReadBack)
{
    const Names names{"A, B", "C", sjis("集計 表"), " lead", "", sjis("ソ表")};
    CheckItems list;
    for (const auto& n : names)
        list.items.push_back({n, true});
    const auto text = writeSheetList(list);
    ASSERT_TRUE(text);
    EXPECT_EQ(readSheetList(*text), names);
}

TEST(PageRangeText, QuotedOnWriteAndStrippedOnRead)
{
    EXPECT_EQ(pageRangeText(""), "");
    EXPECT_EQ(pageRangeText("1-10,15-30"), "\"1-10,15-30\"");
    EXPECT_EQ(pageRangesOf(""), "");
    EXPECT_EQ(pageRangesOf("\"1-10,15-30\""), "1-10,15-30");
    EXPECT_EQ(pageRangesOf("\"\""), "");
    EXPECT_EQ(pageRangesOf(pageRangeText(sjis("１-３"))), sjis("１-３"));
}

// A hand-written 11-13 must print pages 11 to 13, not page 1.
TEST(PageRangeText, OnlyQuotesThatAreThereAreRemoved)
{
    EXPECT_EQ(pageRangesOf("11-13"), "11-13");
    EXPECT_EQ(pageRangesOf("15,30"), "15,30");
    EXPECT_EQ(pageRangesOf("\"1-3"), "1-3");
    EXPECT_EQ(pageRangesOf("1-3\""), "1-3");
    EXPECT_EQ(pageRangesOf("\""), "");
    EXPECT_EQ(pageRangesOf(sjis("１-３")), sjis("１-３"));
}
