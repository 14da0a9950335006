#include "SettingsLocation.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace pravik;
using pravik::test::readBytes;
using pravik::test::TempDir;
using pravik::test::writeBytes;

TEST(SettingsLocation, BesideAWritableProgramElseTheUsersOwnMadeFromTheDeliveredCopy)
{
    struct Case {
        const char* what;
        bool writable, iniBeside, iniShared;
        const char* userConfig;
        SettingsLocation expected;
    };
    const Case cases[] = {
        {"build folder", true, true, false, "/home/u/.config", {"/p/bin", "/p/bin", false}},
        {"writable, main.ini deleted", true, false, false, "/home/u/.config", {"/p/bin", "/p/bin", false}},
        {"read-only portable copy", false, true, false, "/home/u/.config", {"/home/u/.config/pravik", "/p/bin", true}},
        {"installed, a user", false, false, true, "/x/cfg", {"/x/cfg/pravik", "/p/share/pravik", true}},
        {"installed, run by root", true, false, true, "/root/.config", {"/root/.config/pravik", "/p/share/pravik", true}},
        {"read-only, no home", false, true, false, "", {"/p/bin", "/p/bin", false}},
    };
    for (const Case& c : cases) {
        const SettingsLocation got = chooseSettingsLocation(
            {"/p/bin", c.writable, c.iniBeside, "/p/share/pravik", c.iniShared, c.userConfig});
        EXPECT_EQ(got.dir, c.expected.dir) << c.what;
        EXPECT_EQ(got.deliveredDir, c.expected.deliveredDir) << c.what;
        EXPECT_EQ(got.perUser, c.expected.perUser) << c.what;
    }
}

TEST(SettingsLocation, TheFirstStartCopiesTheDeliveredMainIniAndLaterStartsKeepTheUsers)
{
    TempDir dir;
    writeBytes(dir.file("main.ini"), "[TITLE]\r\nAPP_NAME=Pravik\r\n");
    const SettingsLocation own{dir.file("cfg/pravik"), dir.path().string(), true};
    prepareSettingsLocation(own);
    EXPECT_EQ(readBytes(dir.file("cfg/pravik/main.ini")), "[TITLE]\r\nAPP_NAME=Pravik\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("cfg/pravik/save")));

    writeBytes(own.iniPath(), "[MAIN]\r\nFMTOP=7\r\n");
    prepareSettingsLocation(own);
    EXPECT_EQ(readBytes(own.iniPath()), "[MAIN]\r\nFMTOP=7\r\n");

    // Beside the program nothing is made: the build and the install did that.
    prepareSettingsLocation({dir.file("beside"), dir.path().string(), false});
    EXPECT_FALSE(std::filesystem::exists(dir.file("beside")));
}
