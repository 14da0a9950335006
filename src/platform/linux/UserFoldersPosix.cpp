#include "UserFolders.h"

#include "TextCodec.h"

#include <cstdlib>

#include <unistd.h>

namespace pravik {

std::string userConfigDir()
{
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base
    // directory rules say.
    std::string dir;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        dir = xdg;
    else if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        dir = std::string(home) + "/.config";
    else
        return {};
    while (dir.size() > 1 && dir.ends_with('/'))
        dir.pop_back();
    try {
        return codec::fromOsPath(dir);
    } catch (const codec::ConversionError&) {
        return {};
    }
}

bool folderWritable(const std::string& folder)
{
    try {
        return ::access(codec::toOsPath(folder).c_str(), W_OK | X_OK) == 0;
    } catch (const codec::ConversionError&) {
        return false;
    }
}

} // namespace pravik
