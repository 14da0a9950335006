#include "ExecutablePath.h"

#include "TextCodec.h"

#include <windows.h>

#include <filesystem>
#include <vector>

namespace pravik {

std::string executableDir()
{
    // Long paths do not fit MAX_PATH; grow until the whole name fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            throw Error("実行ファイルの場所を取得できません (エラー "
                        + std::to_string(::GetLastError()) + ")");
        if (length < buffer.size()) {
            const std::filesystem::path executable(std::wstring(buffer.data(), length));
            std::string dir = codec::fromOsPath(executable.parent_path());
            if (dir.ends_with('\\'))
                dir.pop_back(); // a drive's root: "C:"
            return dir;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string sharedDataDir()
{
    return {};
}

} // namespace pravik
