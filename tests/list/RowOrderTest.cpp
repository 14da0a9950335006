#include "PrintList.h"
#include "RowOrder.h"

#include <gtest/gtest.h>

using namespace pravik;

namespace {

using Rows = std::vector<size_t>;

struct MoveCase {
    const char* name;
    size_t rowCount;
    Rows selected;
    Rows order;     // empty: no row moved
    Rows selection;
};

void expectShuffle(const RowShuffle& shuffle, const MoveCase& c)
{
    if (c.order.empty()) {
        EXPECT_FALSE(shuffle.moved) << c.name;
        Rows unchanged(c.rowCount);
        for (size_t i = 0; i < c.rowCount; ++i)
            unchanged[i] = i;
        EXPECT_EQ(shuffle.order, unchanged) << c.name;
    } else {
        EXPECT_TRUE(shuffle.moved) << c.name;
        EXPECT_EQ(shuffle.order, c.order) << c.name;
    }
    EXPECT_EQ(shuffle.selection, c.selection) << c.name;
}

PrintEntry named(const std::string& name, const std::string& copies = "1")
{
    return {name, "", "", "doc", copies, "P", "/d/" + name};
}

std::vector<std::string> names(const PrintList& list)
{
    std::vector<std::string> result;
    for (const PrintEntry& entry : list.rows())
        result.push_back(entry.fileName);
    return result;
}

} // namespace

TEST(RowOrder, SelectedRowsMoveUpOnePlaceUnlessTheTopmostIsFirst)
{
    const MoveCase cases[] = {
        {"two adjacent rows climb as a block", 5, {2, 3}, {0, 2, 3, 1, 4}, {1, 2}},
        {"spread rows each pass one neighbour", 5, {1, 3}, {1, 0, 3, 2, 4}, {0, 2}},
        {"the first row selected holds every row", 5, {0, 3}, {}, {0, 3}},
        {"the last row can climb", 3, {2}, {0, 2, 1}, {1}},
        {"no selection", 3, {}, {}, {}},
    };
    for (const MoveCase& c : cases)
        expectShuffle(selectionMovedUp(c.rowCount, c.selected), c);
}

TEST(RowOrder, SelectedRowsMoveDownOnePlaceUnlessTheLastRowIsSelected)
{
    const MoveCase cases[] = {
        {"two adjacent rows sink as a block", 5, {1, 2}, {0, 3, 1, 2, 4}, {2, 3}},
        {"the first row can sink", 3, {0}, {1, 0, 2}, {1}},
        {"the last row selected holds every row and ends the selection", 5, {1, 4}, {}, {}},
        {"a one-row list", 1, {0}, {}, {}},
        {"no selection", 3, {}, {}, {}},
    };
    for (const MoveCase& c : cases)
        expectShuffle(selectionMovedDown(c.rowCount, c.selected), c);
}

TEST(RowOrder, SortingIsByUnsignedBytesAndKeepsEqualRowsInTheirOrder)
{
    PrintList list;
    list.replaceAll({named("a.doc", "2"), named("B.doc", "10"), named("", "1"), named("\x95\x5C.doc", "1"),
                     named("a.doc", "9")});
    list.reorder(orderByColumn(list.rows(), 0));
    // Upper case before lower case, the empty text first, a CP932 lead
    // byte (0x95) after every ASCII byte, and the two a.doc rows as they were.
    EXPECT_EQ(names(list), (std::vector<std::string>{"", "B.doc", "a.doc", "a.doc", "\x95\x5C.doc"}));
    EXPECT_EQ(list.at(2).copies, "2");

    list.reorder(orderByColumn(list.rows(), 4));
    std::vector<std::string> copies;
    for (const PrintEntry& entry : list.rows())
        copies.push_back(entry.copies);
    EXPECT_EQ(copies, (std::vector<std::string>{"1", "1", "10", "2", "9"}));
    EXPECT_EQ(lstViewCompare(named("x"), named("x"), 0), 0);
    EXPECT_EQ(lstViewCompare(named("a"), named("ab"), 0), -1);
}

TEST(RowOrder, RemovingRowsSpreadThroughTheListKeepsTheOthersInOrder)
{
    PrintList list;
    list.replaceAll({named("0"), named("1"), named("2"), named("3"), named("4")});
    list.removeRows({0, 2, 3});
    EXPECT_EQ(names(list), (std::vector<std::string>{"1", "4"}));
    list.removeRows({0, 1});
    EXPECT_TRUE(list.empty());
}

TEST(RowOrder, BadPositionsAreRefusedAndTheRowsStay)
{
    PrintList list;
    list.replaceAll({named("0"), named("1")});
    EXPECT_THROW(list.removeRows({1, 1}), std::out_of_range);
    EXPECT_THROW(list.removeRows({2}), std::out_of_range);
    EXPECT_THROW(list.reorder({0, 0}), std::invalid_argument);
    EXPECT_THROW(list.reorder({0}), std::invalid_argument);
    EXPECT_EQ(names(list), (std::vector<std::string>{"0", "1"}));
}
