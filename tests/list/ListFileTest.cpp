#include "ListErrors.h"
#include "ListFile.h"
#include "PrintList.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace pravik;
using pravik::test::readBytes;
using pravik::test::TempDir;
using pravik::test::writeBytes;

namespace {

PrintEntry entry(const std::string& name, const std::string& memo = "")
{
    return {name, memo, "", "doc", "2", "Office Printer", "C:\\Docs\\" + name};
}

const std::string reportRecord = "Report.doc\r\n\r\n\r\ndoc\r\n2\r\nOffice Printer\r\nC:\\Docs\\Report.doc\r\n";

} // namespace

TEST(ListFileFormat, WritesSevenLinesPerEntryEachEndedByCrLf)
{
    EXPECT_EQ(formatListFile({entry("Report.doc")}), reportRecord);
    EXPECT_EQ(formatListFile({}), "");
}

TEST(ListFileFormat, ReadsEveryLineEndAndNeedsNoneAtTheEnd)
{
    const ListFileContent content = parseListFile("a\r\nb\rc\nd\n\r\r\n/x");
    ASSERT_EQ(content.entries.size(), 1u);
    EXPECT_EQ(content.entries[0], (PrintEntry{"a", "b", "c", "d", "", "", "/x"}));
    // A final line end adds no line.
    EXPECT_EQ(parseListFile(reportRecord).entries.size(), 1u);
    EXPECT_TRUE(parseListFile("").entries.empty());
}

TEST(ListFileFormat, NulAnywhereMarksTheWholeFileDamagedAtItsLine)
{
    const std::string nulLineAfterOneEntry = reportRecord + std::string("next\0\r\n\r\n\r\n\r\n\r\n\r\n", 17);
    const ListFileContent content = parseListFile(nulLineAfterOneEntry);
    EXPECT_TRUE(content.entries.empty());
    EXPECT_EQ(content.nulLine, 8);
    EXPECT_EQ(parseListFile(std::string("\0", 1)).nulLine, 1);
    EXPECT_EQ(parseListFile(std::string("a\rb\nc\r\n\0", 9)).nulLine, 4);
}

TEST(ListFileFormat, SevenLinesWithoutFinalLineEndAreOneEntry)
{
    std::string text = reportRecord;
    text.resize(text.size() - 2);
    const ListFileContent content = parseListFile(text);
    ASSERT_EQ(content.entries.size(), 1u);
    EXPECT_EQ(content.entries[0], entry("Report.doc"));
    EXPECT_FALSE(content.missingLineIndex);
}

TEST(ListFileFormat, FourteenLinesSeparatedByLoneLfAreTwoEntries)
{
    const ListFileContent content = parseListFile("a\nm\np\nxls\n1\nP\n/a.xls\nb\n\n\ndoc\n3\nQ\n/b.doc\n");
    ASSERT_EQ(content.entries.size(), 2u);
    EXPECT_EQ(content.entries[1].fileName, "b");
    EXPECT_EQ(content.entries[1].filePath, "/b.doc");
    EXPECT_EQ(content.entries[0].extension, "xls");
}

TEST(ListFileFormat, IncompleteLastEntryNamesTheFirstMissingLine)
{
    const ListFileContent content = parseListFile(reportRecord + "x\r\ny\r\nz\r\n");
    EXPECT_EQ(content.entries.size(), 1u);
    EXPECT_EQ(content.missingLineIndex, 10);
}

TEST(ListFileFormat, FieldHoldingALineBreakIsRefused)
{
    EXPECT_THROW(formatListFile({entry("a.doc", "two\nlines")}), Error);
    EXPECT_THROW(formatListFile({entry("a\r.doc")}), Error);
}

TEST(ListFile, SaveAndLoadReproduceEveryFieldIncludingBlanksAndShiftJis)
{
    TempDir dir;
    PrintList list;
    // "集計" in CP932, and a name whose trail byte is 0x5C ("表").
    list.replaceAll({entry("  padded  ", " memo "), entry("\x8f\x57\x8c\x76\x95\x5C.xls"), entry("")});
    list.saveListFile(dir.file("a.lst"));

    PrintList loaded;
    loaded.loadListFile(dir.file("a.lst"));
    EXPECT_EQ(loaded.rows(), list.rows());
    EXPECT_EQ(readBytes(dir.file("a.lst")), formatListFile(list.rows()));
}

TEST(ListFile, EmptyListIsAnEmptyFileAndBack)
{
    TempDir dir;
    PrintList list;
    list.saveListFile(dir.file("empty.lst"));
    EXPECT_EQ(readBytes(dir.file("empty.lst")), "");
    list.replaceAll({entry("x")});
    list.loadListFile(dir.file("empty.lst"));
    EXPECT_TRUE(list.empty());
}

TEST(ListFile, LoadingUnchangedAndSavingGivesTheSameBytes)
{
    TempDir dir;
    const std::string original = reportRecord + "B.xls\r\nmemo\r\n\"Sheet1\",\"Q1, Sales\"\r\nxls\r\n1\r\nP\r\nC:\\B.xls\r\n";
    writeBytes(dir.file("in.lst"), original);
    PrintList list;
    list.loadListFile(dir.file("in.lst"));
    list.saveListFile(dir.file("out.lst"));
    EXPECT_EQ(readBytes(dir.file("out.lst")), original);
}

TEST(ListFile, IncompleteFileKeepsTheCompleteEntriesAndReportsTheIndex)
{
    TempDir dir;
    writeBytes(dir.file("ten.lst"), reportRecord + "x\r\ny\r\nz\r\n");
    PrintList list;
    try {
        list.loadListFile(dir.file("ten.lst"));
        FAIL() << "no error";
    } catch (const ListIndexError& error) {
        EXPECT_EQ(error.index(), 10);
        EXPECT_EQ(std::string(error.what()),
                  "ファイル " + dir.file("ten.lst") + ": リストのインデックスが範囲を超えています (10)");
    }
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.at(0), entry("Report.doc"));
}

TEST(ListFile, UnreadableFileLeavesTheRowsUntouched)
{
    TempDir dir;
    PrintList list;
    list.replaceAll({entry("keep.doc")});
    EXPECT_THROW(
        {
            try {
                list.loadListFile(dir.file("missing.lst"));
            } catch (const Error& error) {
                EXPECT_EQ(std::string(error.what()), "ファイル " + dir.file("missing.lst") + " は開けません");
                throw;
            }
        },
        Error);
    EXPECT_THROW(list.loadListFile(dir.path().string()), Error);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.at(0).fileName, "keep.doc");
}

TEST(ListFile, FailedSaveLeavesTheOldFileAsItWas)
{
    TempDir dir;
    writeBytes(dir.file("old.lst"), reportRecord);
    ::chmod(dir.path().c_str(), 0500);
    PrintList list;
    list.replaceAll({entry("new.doc")});
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    EXPECT_THROW(list.saveListFile(dir.file("old.lst")), Error);
    EXPECT_EQ(readBytes(dir.file("old.lst")), reportRecord);
}

TEST(ListFile, ReadOnlyListIsNotReplaced)
{
    TempDir dir;
    writeBytes(dir.file("old.lst"), reportRecord);
    ::chmod(dir.file("old.lst").c_str(), 0444);
    PrintList list;
    list.replaceAll({entry("new.doc")});
    try {
        list.saveListFile(dir.file("old.lst"));
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "ファイル " + dir.file("old.lst") + " は読み取り専用のため、上書き保存できません");
    }
    EXPECT_EQ(readBytes(dir.file("old.lst")), reportRecord);
}

TEST(ListFile, SaveIntoAMissingFolderNamesTheFile)
{
    TempDir dir;
    PrintList list;
    try {
        list.saveListFile(dir.file("no/such.lst"));
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "ファイル " + dir.file("no/such.lst") + " を作成できません");
    }
}

TEST(ListFile, RefusedFieldLeavesTheOldFileAsItWas)
{
    TempDir dir;
    writeBytes(dir.file("old.lst"), reportRecord);
    PrintList list;
    list.replaceAll({entry("a.doc", "line\r\nbreak")});
    EXPECT_THROW(list.saveListFile(dir.file("old.lst")), Error);
    EXPECT_EQ(readBytes(dir.file("old.lst")), reportRecord);
}

TEST(ListFile, DamagedFileIsRefusedWholeNamingFileAndLine)
{
    TempDir dir;
    writeBytes(dir.file("nul.lst"), reportRecord + reportRecord + std::string("x\0", 2));
    PrintList list;
    list.replaceAll({entry("keep.doc")});
    try {
        list.loadListFile(dir.file("nul.lst"));
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "ファイル " + dir.file("nul.lst") + " は壊れているため開けません（15 行目に NUL 文字があります）");
    }
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.at(0).fileName, "keep.doc");
}

// A FIFO would block the reader for ever; a folder is no list either.
TEST(ListFile, OnlyRegularFilesAreRead)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("pipe.lst").c_str(), 0644), 0);
    PrintList list;
    list.replaceAll({entry("keep.doc")});
    for (const std::string& path : {dir.file("pipe.lst"), dir.path().string()}) {
        try {
            list.loadListFile(path);
            FAIL() << "no error for " << path;
        } catch (const Error& error) {
            EXPECT_EQ(std::string(error.what()), "ファイル " + path + " は通常のファイルではないため開けません");
        }
    }
    EXPECT_EQ(list.size(), 1u);
}
