#include "ExpectedCalls.h"
#include "JobHarness.h"
#include "OfficeJobs.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

using namespace pravik;
using namespace pravik::test;
using Lines = std::vector<std::string>;

namespace {

const Lines kOpen = expected::excelOpening("C:\\docs\\book.xls");
const std::string kQuit = expected::excelQuit();
using expected::concat;

PrintEntry excelRow(std::string sheets)
{
    PrintEntry e;
    e.fileName = "book.xls";
    e.extension = "xls";
    e.pagesOrSheets = std::move(sheets);
    e.copies = "2";
    e.printer = "PrinterA";
    e.filePath = "C:\\docs\\book.xls";
    return e;
}

Settings rules(int noSheetRule, bool collate = false)
{
    Settings s;
    s.excelNoSheetRule = noSheetRule;
    s.collateCopies = collate;
    return s;
}

void script(RecordingBackend& b)
{
    b.labelResults("Open", "Book");
}

struct ExcelRun {
    std::shared_ptr<RecordingBackend> backend = std::make_shared<RecordingBackend>();
    JobOutcome outcome{};

    PrintEntry row;

    ExcelRun(const PrintEntry& row, PrintMode mode, const Settings& settings) : row(row)
    {
        script(*backend);
        AutomationCall automation(backend);
        outcome = PrintExcelFile(row, mode, settings, automation);
    }
    Lines lines() const { return backend->lines(); }
};

} // namespace

TEST(PrintExcelFile, PrintsTheNamedSheets)
{
    const std::string shuukei = codec::fromUtf8("集計 表");
    ExcelRun run(excelRow("\"Sheet1\",\"" + shuukei + "\",\"A, B\""), PrintMode::Print,
                 rules(ActiveSheet));
    EXPECT_EQ(run.outcome, JobOutcome::Done);
    EXPECT_EQ(run.lines(), expected::excelPrintSheets(run.row, {"Sheet1", shuukei, "A, B"}, false));
    EXPECT_EQ(run.backend->calls()[6].args.size(), 1u); // one array, not three texts
    EXPECT_EQ(run.backend->liveObjects(), 0);
}

TEST(PrintExcelFile, WithoutSheetsTheRuleChoosesTheTarget)
{
    const auto printOutOn = [](const std::string& target) {
        return concat(kOpen, {target + " proc PrintOut(Copies:=\"2\", ActivePrinter:=\"PrinterA\", "
                                       "Collate:=\"True\") cmd",
                              kQuit});
    };
    EXPECT_EQ(ExcelRun(excelRow(""), PrintMode::Print, rules(ActiveSheet, true)).lines(),
              printOutOn("Book"));
    EXPECT_EQ(ExcelRun(excelRow(""), PrintMode::Print, rules(AllSheets, true)).lines(),
              printOutOn("WorkSheets"));
    // Values the settings should not hold print the active sheet.
    EXPECT_EQ(ExcelRun(excelRow(""), PrintMode::Print, rules(3, true)).lines(), printOutOn("Book"));
    EXPECT_EQ(ExcelRun(excelRow(""), PrintMode::Print, rules(-1, true)).lines(),
              printOutOn("Book"));
}

TEST(PrintExcelFile, PrintNothingSkipsWithoutStartingExcel)
{
    for (const char* nothing : {"", "  \t"}) { // blanks name no sheet either
        ExcelRun run(excelRow(nothing), PrintMode::Print, rules(PrintNothing));
        EXPECT_EQ(run.outcome, JobOutcome::Skipped);
        EXPECT_TRUE(run.lines().empty());
        EXPECT_EQ(run.backend->objectsMade(), 0);
    }
    // Named sheets print under that rule as under any other.
    ExcelRun named(excelRow("\"S\""), PrintMode::Print, rules(PrintNothing));
    EXPECT_EQ(named.outcome, JobOutcome::Done);
    EXPECT_EQ(named.lines().size(), 10u);
}

TEST(PrintExcelFile, PassesEmptyCopiesAndPrinterAsEmptyTexts)
{
    PrintEntry row = excelRow("");
    row.copies = "";
    row.printer = "";
    EXPECT_EQ(ExcelRun(row, PrintMode::Print, rules(ActiveSheet)).lines()[6],
              "Book proc PrintOut(Copies:=\"\", ActivePrinter:=\"\", Collate:=\"False\") cmd");
}

TEST(PrintExcelFile, PreviewShowsExcelAroundThePreviewAndPassesNoPrinter)
{
    EXPECT_EQ(ExcelRun(excelRow("\"S1\""), PrintMode::Preview, rules(ActiveSheet)).lines(),
              concat(kOpen, {
                                "Book get Sheets([\"S1\"]) short",
                                "Sheets call Select() short",
                                "Excel.Application put Visible(\"True\") short",
                                "Sheets proc PrintPreview() short",
                                "Excel.Application put Visible(\"False\") short",
                                kQuit,
                            }));
    EXPECT_EQ(ExcelRun(excelRow(""), PrintMode::Preview, rules(AllSheets)).lines(),
              concat(kOpen, {
                                "Excel.Application put Visible(\"True\") short",
                                "WorkSheets proc PrintPreview() short",
                                "Excel.Application put Visible(\"False\") short",
                                kQuit,
                            }));
}

TEST(PrintExcelFile, FailureAtAnyCallStopsThereAndReleasesEverything)
{
    const struct {
        const char* sheets;
        PrintMode mode;
        int rule;
    } cases[] = {
        {"\"S1\",\"S2\"", PrintMode::Print, ActiveSheet},
        {"\"S1\"", PrintMode::Preview, ActiveSheet},
        {"", PrintMode::Print, AllSheets},
        {"", PrintMode::Preview, ActiveSheet},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("sheets [") + c.sheets + "] mode "
                     + std::to_string(static_cast<int>(c.mode)));
        expectCleanFailureAtEachCall(script, [&](AutomationCall& a) {
            PrintExcelFile(excelRow(c.sheets), c.mode, rules(c.rule), a);
        });
    }
}

TEST(AutomationPrintJobs, ReadsTheSettingsAtEachJob)
{
    auto backend = std::make_shared<RecordingBackend>();
    Settings settings; // read after the jobs object exists, as at start-up
    AutomationPrintJobs jobs(backend, settings);
    settings.excelNoSheetRule = PrintNothing;
    EXPECT_EQ(jobs.printExcel(excelRow(""), PrintMode::Print), JobOutcome::Skipped);
    settings.excelNoSheetRule = AllSheets;
    settings.collateCopies = true;
    EXPECT_EQ(jobs.printExcel(excelRow(""), PrintMode::Print), JobOutcome::Done);
    EXPECT_EQ(backend->lines()[6], "WorkSheets proc PrintOut(Copies:=\"2\", "
                                   "ActivePrinter:=\"PrinterA\", Collate:=\"True\") cmd");
}
