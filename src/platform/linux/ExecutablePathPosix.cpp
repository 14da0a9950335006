#include "ExecutablePath.h"

#include "TextCodec.h"

#include <filesystem>
#include <system_error>

namespace pravik {

std::string executableDir()
{
    std::error_code ec;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        throw Error("実行ファイルの場所を取得できません (" + ec.message() + ")");
    std::string dir = codec::fromOsPath(executable.parent_path());
    if (dir.ends_with('/'))
        dir.pop_back();
    return dir;
}

std::string sharedDataDir()
{
    const std::string program = executableDir();
    return program.substr(0, program.rfind('/')) + "/share/pravik";
}

} // namespace pravik
