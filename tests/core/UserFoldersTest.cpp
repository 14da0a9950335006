#include "UserFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

TEST(UserFolders, ConfigFolderIsXdgConfigHomeWhenAbsoluteElseUnderHome)
{
    const char* home = std::getenv("HOME");
    const std::string oldHome = home ? home : "";
    ::setenv("HOME", "/home/u", 1);
    for (const auto& [xdg, expected] : {std::pair<const char*, const char*>{"/x/cfg/", "/x/cfg"},
                                        {"relative", "/home/u/.config"}, {nullptr, "/home/u/.config"}}) {
        xdg ? ::setenv("XDG_CONFIG_HOME", xdg, 1) : ::unsetenv("XDG_CONFIG_HOME");
        EXPECT_EQ(pravik::userConfigDir(), expected) << (xdg ? xdg : "unset");
    }
    ::unsetenv("HOME");
    EXPECT_EQ(pravik::userConfigDir(), "");
    home ? ::setenv("HOME", oldHome.c_str(), 1) : ::unsetenv("HOME");
}
