#include "ListErrors.h"
#include "ListFile.h"
#include "PrintList.h"
#include "SettingsFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <map>

using namespace pravik;
using pravik::test::readBytes;
using pravik::test::TempDir;
using pravik::test::writeBytes;

namespace {

class RecordingWindow : public StartupWindow {
public:
    std::map<int, int> widths;
    std::optional<int> top, left, height, width;
    int centred = 0;
    int placedForFirstStart = 0;
    std::optional<std::string> caption;

    void setColumnWidth(int column, int w) override { widths[column] = w; }
    void setTop(int v) override { top = v; }
    void setLeft(int v) override { left = v; }
    void setHeight(int v) override { height = v; }
    void setWidth(int v) override { width = v; }
    void placeForFirstStart() override { ++placedForFirstStart; }
    void centreSecondaryWindows() override { ++centred; }
    void setCaption(const std::string& text) override { caption = text; }
};

const std::string designedColumns = "COLUMN=150,150,200,40,40,100,200\r\n";

class SettingsFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string ini = dir.file("main.ini");
    Settings settings;
    RecordingWindow window;
    PrintList list;

    void load() { loadSettings(ini, settings, window, list); }
};

} // namespace

TEST_F(SettingsFileTest, ReadsEveryValueAndAppliesGeometry)
{
    writeBytes(ini, "[TITLE]\r\nAPP_NAME=Pravik\r\n[MAIN]\r\nDEFBUSU=3\r\nPRINT=1\r\nMEMORY=0\r\n"
                    "ONAJI=1\r\nETCFILE=1\r\nEXCEL=2\r\nSORT=1\r\n" + designedColumns +
                    "FMTOP=0x10\r\nFMLEFT=abc\r\nFMHEIGHT=400\r\nFMWIDTH=-5\r\n");
    load();
    EXPECT_EQ(settings.titlePrefix, "Pravik - ");
    EXPECT_EQ(settings.defaultCopies, 3);
    EXPECT_EQ(settings.printTarget, AllRows);
    EXPECT_TRUE(settings.skipSameFile);
    EXPECT_TRUE(settings.acceptOtherFiles);
    EXPECT_EQ(settings.excelNoSheetRule, PrintNothing);
    EXPECT_TRUE(settings.collateCopies);
    EXPECT_EQ(window.widths, (std::map<int, int>{{0, 150}, {1, 150}, {2, 200}, {3, 40}, {4, 40}, {5, 100}, {6, 200}}));
    EXPECT_EQ(window.top, 16);
    EXPECT_EQ(window.left, 83); // not an integer: the default
    EXPECT_EQ(window.height, 400);
    EXPECT_EQ(window.width, -5); // applied as read, not clamped
    EXPECT_EQ(window.centred, 1);
}

TEST_F(SettingsFileTest, FileWithoutMainSectionStopsAtTheColumnsWithIndexZero)
{
    writeBytes(ini, "[TITLE]\r\nAPP_NAME=Pravik\r\n");
    try {
        load();
        FAIL() << "no error";
    } catch (const ListIndexError& error) {
        EXPECT_EQ(error.index(), 0);
    }
    EXPECT_EQ(settings.titlePrefix, "Pravik - ");
    EXPECT_EQ(settings.defaultCopies, 1);
    EXPECT_FALSE(window.top);
    EXPECT_EQ(window.centred, 0);
}

TEST_F(SettingsFileTest, WindowUnknownToTheFileIsPlacedForAFirstStart)
{
    writeBytes(ini, "[MAIN]\r\n" + designedColumns);
    load();
    EXPECT_EQ(window.placedForFirstStart, 1);
    EXPECT_FALSE(window.top);
    EXPECT_FALSE(window.width);
}

TEST_F(SettingsFileTest, MissingFileGivesDefaultsAndAnEmptyTitle)
{
    EXPECT_THROW(load(), ListIndexError);
    EXPECT_EQ(settings.titlePrefix, " - ");
    EXPECT_EQ(settings.printTarget, SelectedRows);
}

TEST_F(SettingsFileTest, ShortColumnValueNamesTheMissingItemAfterSettingTheOthers)
{
    writeBytes(ini, "[MAIN]\r\nCOLUMN=1,2,3,4,5\r\n");
    try {
        load();
        FAIL() << "no error";
    } catch (const ListIndexError& error) {
        EXPECT_EQ(error.index(), 5);
    }
    EXPECT_EQ(window.widths.size(), 5u);
}

TEST_F(SettingsFileTest, ColumnItemThatIsNoIntegerIsNamed)
{
    writeBytes(ini, "[MAIN]\r\nCOLUMN=150,wide,200,40,40,100,200\r\n");
    try {
        load();
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "'wide' は整数ではありません");
    }
    EXPECT_EQ(window.widths.size(), 1u);
}

TEST_F(SettingsFileTest, EighthColumnItemIsIgnored)
{
    writeBytes(ini, "[MAIN]\r\nCOLUMN=150,150,200,40,40,100,200,999\r\n");
    load();
    EXPECT_EQ(window.widths.size(), 7u);
    EXPECT_EQ(window.widths[6], 200);
}

TEST_F(SettingsFileTest, ReopensTheLastListWhenAsked)
{
    writeListFile(dir.file("week.lst"), {{"a.doc", "", "", "doc", "1", "P", "/a.doc"}});
    writeBytes(ini, "[TITLE]\r\nAPP_NAME=Pravik\r\n[MAIN]\r\nMEMORY=1\r\n" + designedColumns +
                        "LASTLIST=" + dir.file("week.lst") + "\r\n");
    list.changed = true;
    load();
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(list.listFileName, dir.file("week.lst"));
    EXPECT_FALSE(list.changed);
    EXPECT_EQ(window.caption, "Pravik - week.lst");
}

TEST_F(SettingsFileTest, DeletedLastListIsNamedAndTheWindowStaysEmpty)
{
    writeBytes(ini, "[MAIN]\r\nMEMORY=1\r\n" + designedColumns + "LASTLIST=" + dir.file("gone.lst") + "\r\n");
    try {
        load();
        ADD_FAILURE() << "no word of the missing list";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find(dir.file("gone.lst")), std::string::npos) << error.what();
    }
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.listFileName, "");
    EXPECT_FALSE(window.caption);
}

TEST_F(SettingsFileTest, LastListIsIgnoredWithoutMemory)
{
    writeListFile(dir.file("week.lst"), {});
    writeBytes(ini, "[MAIN]\r\nMEMORY=0\r\n" + designedColumns + "LASTLIST=" + dir.file("week.lst") + "\r\n");
    load();
    EXPECT_EQ(list.listFileName, "");
}

TEST_F(SettingsFileTest, SavedStateComesBackAtTheNextStart)
{
    writeBytes(ini, "; delivered with the program\r\n[TITLE]\r\nAPP_NAME=Pravik\r\nVERSION=1.0\r\n");
    WindowState state{designedHeadings(), {151, 152, 153, 41, 42, 101, 201}, 16, 20, 300, 640};
    saveWindowState(ini, state, "");

    const std::string written = readBytes(ini);
    EXPECT_EQ(written.rfind("; delivered with the program\r\n[TITLE]\r\nAPP_NAME=Pravik\r\nVERSION=1.0\r\n", 0), 0u);
    EXPECT_NE(written.find("COLUMN=151,152,153,41,42,101,201\r\n"), std::string::npos);
    EXPECT_NE(written.find("LASTLIST=\r\n"), std::string::npos);

    load();
    EXPECT_EQ(window.widths[0], 151);
    EXPECT_EQ(window.top, 16);
    EXPECT_EQ(window.left, 20);
    EXPECT_EQ(window.height, 300);
    EXPECT_EQ(window.width, 640);
}

TEST_F(SettingsFileTest, ReorderedHeadingsLeaveTheStoredColumnsAlone)
{
    writeBytes(ini, "[MAIN]\r\n" + designedColumns);
    WindowState state{designedHeadings(), {1, 2, 3, 4, 5, 6, 7}, 0, 0, 0, 0};
    std::swap(state.headingsInDisplayOrder[0], state.headingsInDisplayOrder[1]);
    saveWindowState(ini, state, "/lists/a.lst");
    const std::string written = readBytes(ini);
    EXPECT_NE(written.find(designedColumns), std::string::npos);
    EXPECT_NE(written.find("LASTLIST=/lists/a.lst\r\n"), std::string::npos);
}

TEST_F(SettingsFileTest, TheDialogsFoldersAreKeptForTheNextSessionBesideEverythingElse)
{
    writeBytes(ini, "[MAIN]\r\nMEMORY=1\r\n[OTHER]\r\nKEY=kept\r\n[FOLDERS]\r\nSAVE=/old/save\r\n");
    saveDialogFolders(ini, {"C:\\Users\\a\\Documents", "", "D:\\\x8F\x57\x8C\x76"}); // 集計
    EXPECT_EQ(readDialogFolders(ini),
              (DialogFolders{"C:\\Users\\a\\Documents", "/old/save", "D:\\\x8F\x57\x8C\x76"}))
        << "a dialog not used this session keeps its folder";
    EXPECT_NE(readBytes(ini).find("[OTHER]\r\nKEY=kept\r\n"), std::string::npos);
}

TEST_F(SettingsFileTest, UnwritableSettingsFileIsNamedInTheError)
{
    const std::string unwritable = dir.file("missing-folder/main.ini");
    try {
        saveWindowState(unwritable, WindowState{designedHeadings(), {1, 2, 3, 4, 5, 6, 7}}, "");
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), unwritable + " に書き込めません");
    }
}
