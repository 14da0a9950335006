#include "ShellClipboard.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

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

// The names as the shell reads them from the clipboard's file list.
std::vector<std::wstring> droppedNames()
{
    const auto drop = static_cast<HDROP>(::GetClipboardData(CF_HDROP));
    std::vector<std::wstring> names(drop ? ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) : 0);
    for (UINT i = 0; i < names.size(); ++i) {
        names[i].resize(::DragQueryFileW(drop, i, nullptr, 0));
        ::DragQueryFileW(drop, i, names[i].data(), static_cast<UINT>(names[i].size() + 1));
    }
    return names;
}

TEST(FileClipboard, BothBlocksReadBackByteForByteAndTheNamesAsUnicode)
{
    const std::vector<std::string> paths{"C:\\docs\\a.doc", "C:\\\x93\xFA\x96\x7B\\\x95\x5C.xls"};
    for (const DropEffect effect : {DropEffect::Move, DropEffect::Copy}) {
        win::putFilesOnClipboard(paths, effect);

        ASSERT_TRUE(::OpenClipboard(nullptr));
        const std::vector<std::uint8_t> files = blockOf(CF_HDROP);
        const std::vector<std::uint8_t> dropEffect
            = blockOf(::RegisterClipboardFormatA("Preferred DropEffect"));
        // 日本\表: whatever the system's code page, not through it.
        EXPECT_EQ(droppedNames(), (std::vector<std::wstring>{L"C:\\docs\\a.doc", L"C:\\\u65E5\u672C\\\u8868.xls"}));
        ::CloseClipboard();
        // A movable block may be rounded up in size; the content must match.
        const std::vector<std::uint8_t> wantFiles
            = makeWideHDropBlock({u"C:\\docs\\a.doc", u"C:\\\u65E5\u672C\\\u8868.xls"});
        const std::vector<std::uint8_t> wantEffect = makeDropEffectBlock(effect);
        ASSERT_GE(files.size(), wantFiles.size());
        ASSERT_GE(dropEffect.size(), wantEffect.size());
        EXPECT_EQ(std::vector<std::uint8_t>(files.begin(), files.begin() + wantFiles.size()), wantFiles);
        EXPECT_EQ(std::vector<std::uint8_t>(dropEffect.begin(), dropEffect.begin() + wantEffect.size()),
                  wantEffect);
    }
}
