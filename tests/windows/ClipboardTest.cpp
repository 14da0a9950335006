#include "FileClipboard.h"

#include <gtest/gtest.h>

#include <shellapi.h>
#include <windows.h>

using namespace pravik;

namespace {

struct Clipboard {
    Clipboard() { EXPECT_TRUE(::OpenClipboard(nullptr)); }
    ~Clipboard() { ::CloseClipboard(); }
};

} // namespace

TEST(FileClipboard, TheShellReadsTheFilesAndTheEffectBack)
{
    const std::vector<std::string> paths{"C:\\docs\\a.doc", "C:\\\x93\xFA\x96\x7B\\\x95\x5C.xls"};
    for (const DropEffect effect : {DropEffect::Move, DropEffect::Copy}) {
        win::putFilesOnClipboard(paths, effect);

        Clipboard clipboard;
        auto* drop = static_cast<HDROP>(::GetClipboardData(CF_HDROP));
        ASSERT_NE(drop, nullptr);
        ASSERT_EQ(::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0), 2u);
        for (UINT i = 0; i < 2; ++i) {
            char name[MAX_PATH] = {};
            ::DragQueryFileA(drop, i, name, MAX_PATH);
            EXPECT_EQ(std::string(name), paths[i]);
        }
        HANDLE effectBlock = ::GetClipboardData(::RegisterClipboardFormatA("Preferred DropEffect"));
        ASSERT_NE(effectBlock, nullptr);
        const auto* value = static_cast<const DWORD*>(::GlobalLock(effectBlock));
        EXPECT_EQ(*value, static_cast<DWORD>(effect));
        ::GlobalUnlock(effectBlock);
    }
}
