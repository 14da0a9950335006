#include "IniFile.h"

#include "Error.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using pravik::IniFile;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "inifile.XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        path = (dir / "main.ini").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    void put(const std::string& bytes) const { std::ofstream(path, std::ios::binary) << bytes; }
    std::string get() const
    {
        std::ostringstream bytes;
        bytes << std::ifstream(path, std::ios::binary).rdbuf();
        return bytes.str();
    }
    IniFile fileWith(const std::string& bytes) const
    {
        put(bytes);
        return IniFile(path);
    }
    // The text of the Error that `write` throws, or "" when it throws none.
    template <typename Write>
    static std::string errorOf(Write write)
    {
        try {
            write();
        } catch (const pravik::Error& e) {
            return e.what();
        }
        return {};
    }

    fs::path dir;
    std::string path;
};

} // namespace

TEST_F(IniFileTest, MatchesNamesWithoutCaseAndTakesTheFirstMatch)
{
    const IniFile ini = fileWith("[other]\nkey=wrong\n"
                                 "  [ Main ]  \n"
                                 ";Key=comment\n"
                                 "Key=first\n"
                                 "KEY=second\n"
                                 "\tSpaced Key\t=\t value with  blanks \t\n"
                                 "[MAIN]\n"
                                 "late=hidden by the first section\n");
    EXPECT_EQ(ini.readString("MAIN", "key", "d"), "first");
    EXPECT_EQ(ini.readString("main", "spaced key", "d"), "value with  blanks");
    EXPECT_EQ(ini.readString("MAIN", "late", "d"), "d");
    EXPECT_EQ(ini.readString("MAIN", "missing", "d"), "d");
    EXPECT_EQ(ini.readString("none", "key", "d"), "d");
}

TEST_F(IniFileTest, RemovesOnePairOfMatchingQuotes)
{
    const IniFile ini = fileWith("[S]\r\n"
                                 "a=\"  padded  \"\r\n"
                                 "b= 'single' \r\n"
                                 "c=\"mixed'\r\n"
                                 "d=\"\"twice\"\"\r\n"
                                 "e=\"\r\n"
                                 "f=\r\n");
    EXPECT_EQ(ini.readString("S", "a", "d"), "  padded  ");
    EXPECT_EQ(ini.readString("S", "b", "d"), "single");
    EXPECT_EQ(ini.readString("S", "c", "d"), "\"mixed'");
    EXPECT_EQ(ini.readString("S", "d", "d"), "\"twice\"");
    EXPECT_EQ(ini.readString("S", "e", "d"), "\"");
    EXPECT_EQ(ini.readString("S", "f", "d"), "");
}

TEST_F(IniFileTest, ReadsEveryKindOfLineEnd)
{
    const IniFile ini = fileWith("[S]\ra=1\r\nb=2\nc=3");
    EXPECT_EQ(ini.readInteger("S", "a", 0), 1);
    EXPECT_EQ(ini.readInteger("S", "b", 0), 2);
    EXPECT_EQ(ini.readInteger("S", "c", 0), 3);
}

TEST_F(IniFileTest, ComparesDoubleByteNamesExactly)
{
    // ア is 83 41 and ヂ is 83 61: folding the trail byte would match them.
    // ゾ is 83 5D: its trail byte is ']'.
    const IniFile ini = fileWith("[\x83\x41]\nk=a\n[\x83\x5D]\nk=zo\n");
    EXPECT_EQ(ini.readString("\x83\x41", "k", "d"), "a");
    EXPECT_EQ(ini.readString("\x83\x61", "k", "d"), "d");
    EXPECT_EQ(ini.readString("\x83\x5D", "k", "d"), "zo");
}

TEST_F(IniFileTest, ReadsIntegers)
{
    const struct {
        const char* value;
        int expected;
    } cases[] = {
        {"42", 42},          {"-7", -7},        {"+5", 5},          {" 8 ", 8},
        {"\"9\"", 9},        {"0x10", 16},      {"0X1f", 31},       {"0xFFFFFFFF", -1},
        {"0x1G", 1},         {"0x", 0},         {"12abc", 12},      {"-2147483648", INT_MIN},
        {"abc", -99},        {"", -99},         {"-", -99},         {"0xZZ", -99},
        {"2147483648", -99}, {"0x100000000", -99}, {"-0x10", 0},
    };
    for (const auto& c : cases) {
        const IniFile ini = fileWith(std::string("[S]\nv=") + c.value + "\n");
        EXPECT_EQ(ini.readInteger("S", "v", -99), c.expected) << c.value;
    }
    const IniFile ini = fileWith("[S]\none=1\nzero=0\ntwo=2\ntext=yes\n");
    EXPECT_TRUE(ini.readBool("S", "one", false));
    EXPECT_FALSE(ini.readBool("S", "zero", true));
    EXPECT_TRUE(ini.readBool("S", "two", false));
    EXPECT_TRUE(ini.readBool("S", "text", true));
    EXPECT_FALSE(ini.readBool("S", "missing", false));
}

TEST_F(IniFileTest, CutsTextAt2047BytesWithoutSplittingACharacter)
{
    const std::string ascii(3000, 'a');
    EXPECT_EQ(fileWith("[S]\nv=" + ascii + "\n").readString("S", "v", ""), ascii.substr(0, 2047));
    // あ (82 A0) would straddle the limit: its lead byte alone is not kept.
    const std::string text = std::string(2046, 'a') + "\x82\xA0";
    EXPECT_EQ(fileWith("[S]\nv=" + text + "\n").readString("S", "v", ""), std::string(2046, 'a'));
}

TEST_F(IniFileTest, MissingFileReadsAsDefaultsAndIsCreatedOnWrite)
{
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger("MAIN", "FMTOP", 389), 389);
    ini.writeInteger("MAIN", "FMTOP", -12);
    ini.writeBool("MAIN", "MEMORY", true);
    EXPECT_EQ(get(), "[MAIN]\r\nFMTOP=-12\r\nMEMORY=1\r\n");
    EXPECT_EQ(IniFile(path).readInteger("MAIN", "FMTOP", 0), -12);
}

TEST_F(IniFileTest, ReplacingAValueKeepsEveryOtherByte)
{
    IniFile ini = fileWith("; settings\n"
                           "[TITLE]\r\n"
                           "APP_NAME=Pravik\r\n"
                           "\r\n"
                           "[main]\n"
                           "  FmTop = 1 ; old\n"
                           "fmtop=shadowed\n"
                           "UNKNOWN=kept\r"
                           "[MAIN]\n"
                           "FMTOP=second section");
    ini.writeInteger("MAIN", "FMTOP", 500);
    EXPECT_EQ(get(), "; settings\n"
                     "[TITLE]\r\n"
                     "APP_NAME=Pravik\r\n"
                     "\r\n"
                     "[main]\n"
                     "  FmTop =500\n"
                     "fmtop=shadowed\n"
                     "UNKNOWN=kept\r"
                     "[MAIN]\n"
                     "FMTOP=second section");
    EXPECT_EQ(ini.readInteger("MAIN", "FMTOP", 0), 500);
}

TEST_F(IniFileTest, AddsAMissingKeyAfterTheLastLineOfItsSection)
{
    IniFile ini = fileWith("[MAIN]\nA=1\n; note\n\n\n[TITLE]\nB=2");
    ini.writeString("MAIN", "LASTLIST", "/lists/week.lst");
    EXPECT_EQ(get(), "[MAIN]\nA=1\n; note\nLASTLIST=/lists/week.lst\r\n\n\n[TITLE]\nB=2");
    ini.writeString("TITLE", "C", "3");
    EXPECT_EQ(get(), "[MAIN]\nA=1\n; note\nLASTLIST=/lists/week.lst\r\n\n\n[TITLE]\nB=2\r\nC=3\r\n");
}

TEST_F(IniFileTest, AddsAMissingSectionAtTheEnd)
{
    IniFile ini = fileWith("[TITLE]\nAPP_NAME=x");
    ini.writeString("MAIN", "COLUMN", "150,150,200,40,40,100,200");
    EXPECT_EQ(get(), "[TITLE]\nAPP_NAME=x\r\n[MAIN]\r\nCOLUMN=150,150,200,40,40,100,200\r\n");
}

TEST_F(IniFileTest, ValuesReadBackAsWritten)
{
    IniFile ini(path);
    for (const std::string value : {"  padded  ", "\"quoted\"", "'q'", "a\"b", "", "\x83\x5D]"}) {
        ini.writeString("S", "v", value);
        EXPECT_EQ(IniFile(path).readString("S", "v", "d"), value);
    }
    // Blanks around names are no part of them, when writing as when reading.
    ini.writeString(" S ", "k\t", "blank names");
    EXPECT_EQ(IniFile(path).readString("S", "k", "d"), "blank names");
    EXPECT_EQ(IniFile(path).readString(" S", " k ", "d"), "blank names");
}

TEST_F(IniFileTest, RefusesWhatWouldBreakTheFile)
{
    IniFile ini = fileWith("[S]\nk=old\n");
    const std::string before = get();
    for (const auto& [section, key, value] : std::initializer_list<std::tuple<const char*, const char*, std::string>>{
             {"S", "k", "two\r\nlines"}, {"S", "k", "a\rb"}, {"S", "k\n", "v"}, {"S\r", "k", "v"},
             {"S", "a=b", "v"}, {"S]", "k", "v"}, {"S", "", "v"}, {" ", "k", "v"}, {"S", ";k", "v"},
             {"S", "[k", "v"}, {"S", "k", std::string(2048, 'x')},
             {"S\x81", "k", "v"}}) { // a half character would take the closing bracket
        EXPECT_NE(errorOf([&, s = section, k = key, v = value] { ini.writeString(s, k, v); }).find(" に書き込めません"),
                  std::string::npos)
            << section << "/" << key;
    }
    EXPECT_EQ(get(), before);
    EXPECT_EQ(ini.readString("S", "k", "d"), "old");
}

TEST_F(IniFileTest, FailedWriteKeepsFileAndImage)
{
    put("[S]\nk=old\n");
    ::chmod(path.c_str(), 0444);
    IniFile readOnly(path);
    EXPECT_EQ(errorOf([&] { readOnly.writeString("S", "k", "new"); }), path + " に書き込めません");
    EXPECT_EQ(get(), "[S]\nk=old\n");
    EXPECT_EQ(readOnly.readString("S", "k", "d"), "old");

    const std::string missing = (dir / "gone" / "main.ini").string();
    IniFile ini(missing);
    EXPECT_EQ(errorOf([&] { ini.writeString("S", "k", "v"); }), missing + " に書き込めません");
    EXPECT_EQ(ini.readString("S", "k", "d"), "d");
}

TEST_F(IniFileTest, UnreadableFileReadsAsDefaultsAndIsNeverReplaced)
{
    if (::geteuid() != 0) {
        put("[S]\nk=secret\n");
        ::chmod(path.c_str(), 0);
        IniFile ini(path);
        EXPECT_EQ(ini.readString("S", "k", "d"), "d");
        EXPECT_NE(errorOf([&] { ini.writeString("S", "x", "1"); }), "");
        ::chmod(path.c_str(), 0600);
        EXPECT_EQ(get(), "[S]\nk=secret\n");
    }
    // A folder where the file should be cannot be read even by root.
    fs::remove(path);
    fs::create_directory(path);
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger("S", "k", 7), 7);
    EXPECT_NE(errorOf([&] { ini.writeString("S", "k", "1"); }).find("読み込めません"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(path));
}

TEST_F(IniFileTest, PipeInThePlaceOfTheFileIsUnreadableWithoutBlocking)
{
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    const IniFile ini(path);
    EXPECT_TRUE(ini.unreadable());
    EXPECT_FALSE(ini.missing());
    EXPECT_TRUE(IniFile((dir / "none.ini").string()).missing());
}
