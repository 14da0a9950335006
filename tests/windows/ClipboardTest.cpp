#include "ShellClipboard.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace pravik;

namespace {

std::vector<std::uint8_t> blockOf(UINT format)
{
    HANDLE block = ::GetClipboardData(format);
    if (!block)
        return {};
    const auto* bytes = static_cast<const std::uint8_t*>(::GlobalLock(block));
    std::vector<std::uint8_t> copy(bytes, bytes + ::GlobalSize(block));
    ::GlobalUnlock(block);
    return copy;
}

} // namespace

TEST(FileClipboard, BothBlocksReadBackByteForByte)
{
    const std::vector<std::string> paths{"C:\\docs\\a.doc", "C:\\\x93\xFA\x96\x7B\\\x95\x5C.xls"};
    for (const DropEffect effect : {DropEffect::Move, DropEffect::Copy}) {
        win::putFilesOnClipboard(paths, effect);

        ASSERT_TRUE(::OpenClipboard(nullptr));
        const std::vector<std::uint8_t> files = blockOf(CF_HDROP);
        const std::vector<std::uint8_t> dropEffect
            = blockOf(::RegisterClipboardFormatA("Preferred DropEffect"));
        ::CloseClipboard();
        // A movable block may be rounded up in size; the content must match.
        const std::vector<std::uint8_t> wantFiles = makeHDropBlock(paths);
        const std::vector<std::uint8_t> wantEffect = makeDropEffectBlock(effect);
        ASSERT_GE(files.size(), wantFiles.size());
        ASSERT_GE(dropEffect.size(), wantEffect.size());
        EXPECT_EQ(std::vector<std::uint8_t>(files.begin(), files.begin() + wantFiles.size()), wantFiles);
        EXPECT_EQ(std::vector<std::uint8_t>(dropEffect.begin(), dropEffect.begin() + wantEffect.size()),
                  wantEffect);
    }
}
