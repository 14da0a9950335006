#include "ClipboardBlocks.h"

#include <gtest/gtest.h>

using namespace pravik;

using Bytes = std::vector<std::uint8_t>;

TEST(ClipboardBlocks, FileListIsADropFilesHeaderThenCp932NamesEndingInADoubleNul)
{
    // "C:\表.xls" in CP932: 表 is 0x95 0x5C, whose trail byte is a backslash.
    const Bytes block = makeHDropBlock({"C:\\a.doc", "C:\\\x95\x5C.xls"});
    const Bytes expected = {
        20, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, // pFiles, pt, fNC, fWide
        'C', ':', '\\', 'a', '.', 'd', 'o', 'c', 0,
        'C', ':', '\\', 0x95, 0x5C, '.', 'x', 'l', 's', 0,
        0, 0, // the end of the list, and the block's last spare byte
    };
    EXPECT_EQ(block, expected);
    EXPECT_EQ(block.size(), 20u + (8 + 2) + (9 + 2));
}

TEST(ClipboardBlocks, EmptyFileListStillEndsInADoubleNul)
{
    const Bytes block = makeHDropBlock({});
    ASSERT_EQ(block.size(), 22u);
    EXPECT_EQ(block[0], 20);
    EXPECT_EQ(block[20], 0);
    EXPECT_EQ(block[21], 0);
}

TEST(ClipboardBlocks, DropEffectIsLittleEndianCopyOrMove)
{
    EXPECT_EQ(makeDropEffectBlock(DropEffect::Copy), (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(makeDropEffectBlock(DropEffect::Move), (Bytes{2, 0, 0, 0}));
}
