#include "SettingsLocation.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

using namespace pravik;
using pravik::test::readBytes;
using pravik::test::TempDir;
using pravik::test::writeBytes;

TEST(SettingsLocation, BesideAWritableProgramElseTheUsersOwnMadeFromTheDeliveredCopy)
{
    // Program folder writable, main.ini beside it, main.ini in the shared
    // folder, the user's config folder: where main.ini goes.
    const std::tuple<bool, bool, bool, const char*, SettingsLocation> cases[] = {
        {true, true, false, "/h/.config", {"/p/bin", "/p/bin", false, "/p/bin/save"}},   // build folder
        {true, false, false, "/h/.config", {"/p/bin", "/p/bin", false, "/p/bin/save"}},  // main.ini deleted
        {false, true, false, "/h/.config", {"/h/.config/pravik", "/p/bin", true, "/h/.config/pravik/save"}},
        {false, false, true, "/x", {"/x/pravik", "/p/share/pravik", true, "/x/pravik/save"}},  // installed
        {true, false, true, "/r/.config", {"/r/.config/pravik", "/p/share/pravik", true, "/r/.config/pravik/save"}},
        {false, true, false, "", {"/p/bin", "/p/bin", false, "/p/bin/save"}},  // no home
    };
    for (const auto& [writable, beside, shared, config, expected] : cases)
        EXPECT_EQ(chooseSettingsLocation({"/p/bin", writable, beside, "/p/share/pravik", shared, config, false, ""}), expected)
            << writable << beside << shared << config;
}

TEST(SettingsLocation, AWindowsInstallationSavesListsAmongTheUsersDocumentsAPortableCopyBesideMainIni)
{
    SettingsFacts facts{"/p/bin", true, true, "", false, "/h/cfg", true, "/h/Documents"};
    EXPECT_EQ(chooseSettingsLocation(facts).saveDir, "/h/Documents/Pravik");
    facts.documentsDir.clear(); // the system did not tell
    EXPECT_EQ(chooseSettingsLocation(facts).saveDir, "/p/bin/save");
    facts = {"/p/bin", true, true, "", false, "/h/cfg", false, "/h/Documents"}; // unpacked from the zip
    EXPECT_EQ(chooseSettingsLocation(facts).saveDir, "/p/bin/save");
}

TEST(SettingsLocation, TheFirstStartCopiesTheDeliveredMainIniAndLaterStartsKeepTheUsers)
{
    TempDir dir;
    writeBytes(dir.file("main.ini"), "[TITLE]\r\nAPP_NAME=Pravik\r\n");
    const SettingsLocation own{dir.file("cfg/pravik"), dir.path().string(), true, dir.file("cfg/pravik/save")};
    prepareSettingsLocation(own);
    EXPECT_EQ(readBytes(own.iniPath()), "[TITLE]\r\nAPP_NAME=Pravik\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("cfg/pravik/save")));
    writeBytes(own.iniPath(), "[MAIN]\r\nFMTOP=7\r\n");
    prepareSettingsLocation(own);
    EXPECT_EQ(readBytes(own.iniPath()), "[MAIN]\r\nFMTOP=7\r\n");
    // Beside the program nothing is made: the build and the install did that.
    prepareSettingsLocation({dir.file("beside"), dir.path().string(), false, dir.file("beside/save")});
    EXPECT_FALSE(std::filesystem::exists(dir.file("beside")));
}
