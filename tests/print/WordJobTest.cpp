#include "ExpectedCalls.h"
#include "JobHarness.h"
#include "OfficeJobs.h"

#include <gtest/gtest.h>

using namespace pravik;
using namespace pravik::test;
using Lines = std::vector<std::string>;

namespace {

Lines opening(const std::string& printer)
{
    return expected::wordOpening("C:\\docs\\memo.doc", printer);
}

using expected::concat;

const Lines kAfterPrint = expected::wordAfterPrint("Default");

PrintEntry wordRow(std::string pages, std::string printer = "PrinterB")
{
    PrintEntry e;
    e.fileName = "memo.doc";
    e.extension = "doc";
    e.pagesOrSheets = std::move(pages);
    e.copies = "3";
    e.printer = std::move(printer);
    e.filePath = "C:\\docs\\memo.doc";
    return e;
}

Lines runWord(const std::vector<PrintEntry>& rows, PrintMode mode,
              std::shared_ptr<RecordingBackend> backend = std::make_shared<RecordingBackend>())
{
    AutomationCall automation(backend);
    for (const auto& row : rows)
        PrintWordFile(row, mode, "Default", automation);
    EXPECT_EQ(backend->liveObjects(), 0);
    return backend->lines();
}

} // namespace

TEST(PrintWordFile, PrintsAllPagesInTheBackground)
{
    EXPECT_EQ(runWord({wordRow("")}, PrintMode::Print),
              expected::wordPrintAll(wordRow(""), "Default"));
}

TEST(PrintWordFile, PrintsThePageRangesWithoutTheirQuotes)
{
    EXPECT_EQ(runWord({wordRow("\"1-10,15-30\"")}, PrintMode::Print),
              expected::wordPrintPages(wordRow(""), "1-10,15-30", "Default"));
    // Without quotes the ends are cut all the same.
    EXPECT_EQ(runWord({wordRow("1-3")}, PrintMode::Print)[10],
              "ActiveWindow proc PrintOut(Range:=4, Item:=0, Pages:=\"-\", PageType:=0, "
              "Copies:=\"3\") cmd");
}

TEST(PrintWordFile, PreviewLeavesWordOpenWithThePrinterSetBack)
{
    EXPECT_EQ(runWord({wordRow("\"1-2\"")}, PrintMode::Preview),
              concat(opening("PrinterB"), {
                                              "Word.Application put Visible(true) short",
                                              "ActiveDocument proc PrintPreview() short",
                                              "Word.Application put ActivePrinter(\"Default\") cmd",
                                          }));
}

TEST(PrintWordFile, EachRowOnItsOwnPrinterThenBack)
{
    const Lines lines = runWord({wordRow("", "P1"), wordRow("", ""), wordRow("", "P2")},
                                PrintMode::Print);
    ASSERT_EQ(lines.size(), 3 * 15u);
    const char* printers[] = {"P1", "", "P2"};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(lines[row * 15], "create Word.Application");
        EXPECT_EQ(lines[row * 15 + 6],
                  std::string("Word.Application put ActivePrinter(\"") + printers[row] + "\") cmd");
        EXPECT_EQ(lines[row * 15 + 11], kAfterPrint[0]);
    }
}

TEST(PrintWordFile, FailureAtAnyCallStopsThereAndReleasesEverything)
{
    for (PrintMode mode : {PrintMode::Print, PrintMode::Preview}) {
        for (const char* pages : {"", "\"3-5\""}) {
            SCOPED_TRACE(std::string("pages [") + pages + "] mode "
                         + std::to_string(static_cast<int>(mode)));
            expectCleanFailureAtEachCall([](RecordingBackend&) {}, [&](AutomationCall& a) {
                PrintWordFile(wordRow(pages), mode, "Default", a);
            });
        }
    }
}
