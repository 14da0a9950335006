#include "ShellClipboard.h"

#include "Error.h"
#include "WideText.h"

#include <windows.h>

#include <cstring>

namespace pravik::win {

namespace {

// A movable global block holding `bytes`, as the clipboard takes ownership
// of; freed here unless handed over.
class GlobalBlock {
public:
    explicit GlobalBlock(const std::vector<std::uint8_t>& bytes)
        : handle_(::GlobalAlloc(GHND, bytes.size()))
    {
        if (!handle_)
            throw Error("クリップボード用のメモリを確保できません");
        void* memory = ::GlobalLock(handle_);
        std::memcpy(memory, bytes.data(), bytes.size());
        ::GlobalUnlock(handle_);
    }
    ~GlobalBlock()
    {
        if (handle_)
            ::GlobalFree(handle_);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;

    // The clipboard owns the block once SetClipboardData succeeds.
    bool handTo(UINT format)
    {
        if (!::SetClipboardData(format, handle_))
            return false;
        handle_ = nullptr;
        return true;
    }

private:
    HGLOBAL handle_;
};

// A hidden message-only window to own the clipboard: opened without an
// owner, EmptyClipboard leaves it ownerless and SetClipboardData fails.
HWND clipboardOwner()
{
    static const HWND owner = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                                nullptr, ::GetModuleHandleW(nullptr), nullptr);
    return owner;
}

// The clipboard, open for as long as this lives.
class OpenClipboardGuard {
public:
    OpenClipboardGuard()
    {
        const HWND owner = clipboardOwner();
        if (!owner)
            throw Error("クリップボードを開けません");
        // Another program may hold it for a moment.
        for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
            open_ = ::OpenClipboard(owner);
            if (!open_)
                ::Sleep(20);
        }
        if (!open_)
            throw Error("クリップボードを開けません。他のプログラムが使用中です");
    }
    ~OpenClipboardGuard() { ::CloseClipboard(); }
    OpenClipboardGuard(const OpenClipboardGuard&) = delete;
    OpenClipboardGuard& operator=(const OpenClipboardGuard&) = delete;

private:
    BOOL open_ = FALSE;
};

} // namespace

void putFilesOnClipboard(const std::vector<std::string>& cp932Paths, DropEffect effect)
{
    // The names as UTF-16, which CP932 converts to without loss; the shell
    // reads them so whatever the system's code page is.
    std::vector<std::u16string> names;
    for (const std::string& path : cp932Paths) {
        const std::wstring wide = widen(path);
        names.emplace_back(wide.begin(), wide.end());
    }
    // Both blocks exist before the clipboard is emptied.
    GlobalBlock files(makeWideHDropBlock(names));
    GlobalBlock dropEffect(makeDropEffectBlock(effect));
    const UINT dropEffectFormat = ::RegisterClipboardFormatA("Preferred DropEffect");
    if (!dropEffectFormat)
        throw Error("クリップボードの形式を登録できません");

    OpenClipboardGuard clipboard;
    ::EmptyClipboard();
    if (!files.handTo(CF_HDROP) || !dropEffect.handTo(dropEffectFormat)) {
        ::EmptyClipboard(); // never half a file list
        throw Error("クリップボードにファイルを置けません");
    }
}

} // namespace pravik::win
