#include "ExpectedCalls.h"
#include "JobHarness.h"
#include "JobNotes.h"
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
    // A hand-written text without quotes is passed whole.
    EXPECT_EQ(runWord({wordRow("11-13")}, PrintMode::Print)[11],
              "ActiveWindow proc PrintOut(Range:=4, Item:=0, Pages:=\"11-13\", PageType:=0, "
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
    ASSERT_EQ(lines.size(), 3 * 16u);
    const char* printers[] = {"P1", "", "P2"};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(lines[row * 16], "create Word.Application");
        EXPECT_EQ(lines[row * 16 + 7],
                  std::string("Word.Application put ActivePrinter(\"") + printers[row] + "\") cmd");
        EXPECT_EQ(lines[row * 16 + 12], kAfterPrint[0]);
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

namespace {

// Tells, as the office backend does, that the print system took the job.
class AcceptingBackend : public AutomationBackend {
public:
    explicit AcceptingBackend(std::shared_ptr<RecordingBackend> inner) : inner_(std::move(inner)) {}
    ObjectRef createObject(const std::string& progId) override { return inner_->createObject(progId); }
    Variant invoke(const ObjectRef& target, const Invocation& call) override
    {
        Variant result = inner_->invoke(target, call);
        if (call.member == "PrintOut")
            jobnotes::reportAccepted();
        return result;
    }

private:
    std::shared_ptr<RecordingBackend> inner_;
};

} // namespace

TEST(AutomationPrintJobs, ARowCountsAsPrintedOnceThePrintSystemHasItsJob)
{
    const Settings settings;
    constexpr int printOutCall = 12;
    struct Case {
        int failingCall;
        bool printed;
    };
    for (const Case c : {Case{printOutCall, false}, Case{printOutCall + 1, true}, Case{printOutCall + 3, true}}) {
        SCOPED_TRACE("failing call " + std::to_string(c.failingCall));
        auto recording = std::make_shared<RecordingBackend>();
        recording->failAtCall(c.failingCall, FailWith::ServerException);
        AutomationPrintJobs jobs(std::make_shared<AcceptingBackend>(recording), settings);
        if (!c.printed) {
            EXPECT_ANY_THROW(jobs.printWord(wordRow(""), PrintMode::Print, "Default"));
            continue;
        }
        // Reported failed, the row would be printed twice by whoever prints
        // the failed rows again; the failure is told as a note instead.
        EXPECT_NO_THROW(jobs.printWord(wordRow(""), PrintMode::Print, "Default"));
        const std::vector<std::string> notes = jobs.takeNotes();
        ASSERT_EQ(notes.size(), 1u);
        EXPECT_NE(notes[0].find("受け付け後"), std::string::npos) << notes[0];
    }
}
