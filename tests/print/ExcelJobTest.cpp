#include "JobHarness.h"
#include "NothingToPrint.h"
#include "OfficeJobs.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace pravik;
using namespace pravik::test;

namespace {

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

// Sheets read by name are labelled with their name; the one named "Hidden"
// is hidden.
void workbookWithAHiddenSheet(RecordingBackend& backend)
{
    scriptOffice(backend);
    backend.respond("Sheets", [&backend](const RecordedCall& call) {
        const bool byName = call.args.size() == 1 && call.args[0].kind == VariantKind::Text;
        return backend.makeObject(byName ? call.args[0].text : "Sheets");
    });
    backend.respond("Visible", [](const RecordedCall& call) {
        return Variant::fromInt(call.target == "Hidden" ? 0 : -1);
    });
}

struct ExcelRun {
    std::shared_ptr<RecordingBackend> backend = std::make_shared<RecordingBackend>();
    JobOutcome outcome{};

    ExcelRun(const PrintEntry& row, PrintMode mode, const Settings& settings,
             const Script& script = workbookWithAHiddenSheet)
    {
        script(*backend);
        {
            AutomationCall automation(backend);
            outcome = PrintExcelFile(row, mode, settings, automation);
        }
        EXPECT_EQ(backend->liveObjects(), 0);
        expectUserStateKept(backend->calls());
    }
    std::vector<std::string> lines() const { return backend->lines(); }
    bool has(const std::string& line) const { return lineIndex(*backend, line) >= 0; }
};

const std::string kClose = "Opened proc Close(SaveChanges:=false) cmd";
const std::string kQuit = "Excel.Application proc Quit() short";

std::string printOutOn(const std::string& target, bool collate = false)
{
    return target + " proc PrintOut(Copies:=\"2\", ActivePrinter:=\"PrinterA\", Collate:=\""
        + (collate ? "True" : "False") + "\") cmd";
}

} // namespace

TEST(PrintExcelFile, PrintsTheNamedSheetsOnceEachIsFoundVisible)
{
    const std::string shuukei = codec::fromUtf8("集計 表");
    ExcelRun run(excelRow("\"Sheet1\",\"" + shuukei + "\",\"A, B\""), PrintMode::Print, rules(ActiveSheet));
    EXPECT_EQ(run.outcome, JobOutcome::Done);
    for (const std::string& name : {std::string("Sheet1"), shuukei, std::string("A, B")}) {
        EXPECT_TRUE(run.has("Opened get Sheets(\"" + name + "\") short"));
        EXPECT_TRUE(run.has(name + " get Visible() short"));
    }
    // One array, not three texts.
    EXPECT_TRUE(run.has("Opened get Sheets([\"Sheet1\",\"" + shuukei + "\",\"A, B\"]) short"));
    // Selecting needs the window Excel hides under automation.
    EXPECT_FALSE(run.has("Sheets call Select() short"));
    EXPECT_TRUE(run.has(printOutOn("Sheets")));
    const std::vector<std::string> lines = run.lines();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{kClose, "Workbooks get Count() cmd", kQuit}));
}

TEST(PrintExcelFile, WithoutSheetsTheRuleChoosesTheTarget)
{
    // The workbook itself would print every sheet.
    for (const int activeSheet : {static_cast<int>(ActiveSheet), 3, -1}) {
        ExcelRun run(excelRow(""), PrintMode::Print, rules(activeSheet, true));
        EXPECT_TRUE(run.has("Opened get ActiveSheet() short"));
        EXPECT_TRUE(run.has(printOutOn("ActiveSheet", true)));
    }
    ExcelRun all(excelRow(""), PrintMode::Print, rules(AllSheets));
    EXPECT_TRUE(all.has(printOutOn("Sheets"))); // chart sheets too
}

TEST(PrintExcelFile, PrintNothingSkipsWithoutStartingExcel)
{
    for (const char* nothing : {"", "  \t"}) { // blanks name no sheet either
        ExcelRun run(excelRow(nothing), PrintMode::Print, rules(PrintNothing));
        EXPECT_EQ(run.outcome, JobOutcome::Skipped);
        EXPECT_EQ(run.backend->objectsMade(), 0);
    }
    // Named sheets print under that rule as under any other.
    ExcelRun named(excelRow("\"S\""), PrintMode::Print, rules(PrintNothing));
    EXPECT_TRUE(named.has(printOutOn("Sheets")));
}

TEST(PrintExcelFile, AHiddenOrMissingSheetFailsTheRowByName)
{
    const auto failure = [](const std::string& sheets, const Script& script) -> std::string {
        try {
            ExcelRun run(excelRow(sheets), PrintMode::Print, rules(ActiveSheet), script);
        } catch (const Error& e) {
            return e.what();
        }
        return "printed";
    };
    EXPECT_EQ(failure("\"S1\",\"Hidden\"", workbookWithAHiddenSheet),
              "シート 'Hidden' は非表示のため印刷できません");
    EXPECT_EQ(failure("\"Gone\"",
                      [](RecordingBackend& b) {
                          workbookWithAHiddenSheet(b);
                          b.failAtMember("Sheets", FailWith::ServerException);
                      }),
              "ブックにシート 'Gone' がありません");
}

TEST(PrintExcelFile, PreviewShowsExcelAroundThePreviewAndPassesNoPrinter)
{
    ExcelRun run(excelRow("\"S1\""), PrintMode::Preview, rules(ActiveSheet));
    const std::vector<std::string> lines = run.lines();
    const auto shown = std::find(lines.begin(), lines.end(), "Excel.Application put Visible(\"True\") short");
    ASSERT_NE(shown, lines.end());
    EXPECT_EQ(*(shown + 1), "Sheets proc PrintPreview() short");
    EXPECT_EQ(*(shown + 2), "Excel.Application put Visible(\"False\") short");
    EXPECT_TRUE(run.has(kQuit));
}

TEST(PrintExcelFile, FailureAtAnyCallKeepsTheFileAsItWasAndLetsExcelGo)
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
        SCOPED_TRACE(std::string("sheets [") + c.sheets + "] mode " + std::to_string(static_cast<int>(c.mode)));
        expectCleanFailureAtEachCall(workbookWithAHiddenSheet, [&](AutomationCall& a) {
            PrintExcelFile(excelRow(c.sheets), c.mode, rules(c.rule), a);
        });
    }
}

TEST(AutomationPrintJobs, ReadsTheSettingsAtEachJob)
{
    auto backend = std::make_shared<RecordingBackend>();
    scriptOffice(*backend);
    Settings settings; // read after the jobs object exists, as at start-up
    AutomationPrintJobs jobs(backend, settings);
    settings.excelNoSheetRule = PrintNothing;
    EXPECT_EQ(jobs.printExcel(excelRow(""), PrintMode::Print), JobOutcome::Skipped);
    settings.excelNoSheetRule = AllSheets;
    settings.collateCopies = true;
    EXPECT_EQ(jobs.printExcel(excelRow(""), PrintMode::Print), JobOutcome::Done);
    const std::vector<std::string> lines = backend->lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), printOutOn("Sheets", true)), lines.end());
}

TEST(PrintExcelFile, SheetsWithoutPagesPrintNothingAndSaySo)
{
    // Every target: the named sheets, every sheet, the active one.
    for (const auto& [sheets, rule] : {std::pair<const char*, int>{"\"S1\",\"S2\"", ActiveSheet},
                                       {"", AllSheets}, {"", ActiveSheet}}) {
        SCOPED_TRACE(std::string("sheets [") + sheets + "] rule " + std::to_string(rule));
        auto backend = std::make_shared<RecordingBackend>();
        workbookWithAHiddenSheet(*backend);
        backend->respond("Count", [](const RecordedCall& call) { return Variant::fromInt(call.target == "Sheets" ? 2 : 0); });
        {
            AutomationCall automation(backend);
            EXPECT_THROW(PrintExcelFile(excelRow(sheets), PrintMode::Print, rules(rule), automation), NothingToPrint);
        }
        const std::vector<std::string> lines = backend->lines();
        EXPECT_TRUE(std::none_of(lines.begin(), lines.end(),
                                 [](const std::string& line) { return line.find("PrintOut") != std::string::npos; }));
        EXPECT_EQ(lines.back(), kQuit);
        EXPECT_EQ(backend->liveObjects(), 0);
    }
    // One sheet with pages among empty ones prints them all, as Excel does.
    ExcelRun some(excelRow("\"S1\",\"S2\""), PrintMode::Print, rules(ActiveSheet), [](RecordingBackend& b) {
        workbookWithAHiddenSheet(b);
        int asked = 0;
        b.respond("Count", [asked](const RecordedCall&) mutable { return Variant::fromInt(asked++ == 0 ? 0 : 4); });
    });
    EXPECT_TRUE(some.has(printOutOn("Sheets")));
}

TEST(PrintExcelFile, AFileGoneBeforeItsTurnNeverReachesExcel)
{
    auto backend = std::make_shared<RecordingBackend>();
    scriptOffice(*backend);
    backend->markGone("C:\\docs\\book.xls");
    AutomationCall automation(backend);
    EXPECT_THROW(PrintExcelFile(excelRow("\"S1\""), PrintMode::Print, rules(ActiveSheet), automation), Error);
    EXPECT_EQ(backend->objectsMade(), 0);
}
