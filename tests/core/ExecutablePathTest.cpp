#include "ExecutablePath.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(ExecutablePath, NamesTheFolderOfTheRunningProgram)
{
    const std::string dir = pravik::executableDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), '/');
    EXPECT_TRUE(std::filesystem::is_regular_file(dir + "/core_tests"));
    EXPECT_EQ(pravik::sharedDataDir(), dir.substr(0, dir.rfind('/')) + "/share/pravik");
}
