// Saved lists printed with `pravik --print` through the office engine into
// the private print system; what came out is read back page by page.
#include "EngineSession.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include <filesystem>
#include <pwd.h>
#include <unistd.h>
#include <memory>
#include <set>

namespace pravik::test {
namespace {

using Markers = std::vector<std::string>;

const std::string kFirst = "SHEET-MARK-FIRST";
const std::string kSecond = "SHEET-MARK-SECOND";
const std::string kShuukei = "SHEET-MARK-SHUUKEI";
const std::string kQ1Sales = "SHEET-MARK-Q1SALES";

Markers pages(std::initializer_list<int> numbers, const char* prefix = "PAGE-MARK-")
{
    Markers markers;
    for (int number : numbers)
        markers.push_back(prefix + std::to_string(number));
    return markers;
}

PravikRun printList(const std::string& name, const std::vector<PrintEntry>& rows,
                    const std::string& settings = "")
{
    return runPravik({"--print", writeList(name + ".lst", rows), "--ini",
                      writeIni(name + ".ini", settings)});
}

TEST(PrintList, WordRowsPrintTheirPagesCopiesAndPrinters)
{
    const PdfQueue ranges("word_ranges"), all("word_all"), open("word_open");
    const PravikRun run = printList("word", {
        row("pages.doc", "\"2-3,5\"", "2", ranges.name()),
        row("template.dot", "", "1", all.name()),
        row("pages.doc", "\"4-\"", "1", open.name()),
    });

    EXPECT_EQ(run.status, 0) << run.progress;
    ASSERT_EQ(run.results.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(fields(run.results[i])[0], "printed") << run.results[i];
    // Word collates its copies.
    EXPECT_EQ(ranges.printedMarkers(), pages({2, 3, 5, 2, 3, 5}));
    EXPECT_EQ(all.printedMarkers(), pages({1, 2}, "TEMPLATE-MARK-"));
    EXPECT_EQ(open.printedMarkers(), pages({4, 5}));
}

TEST(PrintList, ExcelRowsPrintTheChosenSheetsWithTheirCopies)
{
    const PdfQueue named("excel_named"), single("excel_single"), japanese("excel_japanese_path");
    const PravikRun run = printList("excel", {
        row("sheets.xls", "\"集計 表\",\"Q1, Sales\"", "2", named.name()),
        row("sheets.xlt", "\"First\"", "1", single.name()),
        // Named out of order: the workbook's order prints.
        row("売上 集計.xls", "\"Q1, Sales\",\"First\"", "1", japanese.name()),
    }, "SORT=0\r\n");

    EXPECT_EQ(run.status, 0) << run.progress;
    EXPECT_EQ(named.printedMarkers(), (Markers{kShuukei, kShuukei, kQ1Sales, kQ1Sales}));
    EXPECT_EQ(single.printedMarkers(), (Markers{kFirst}));
    EXPECT_EQ(japanese.printedMarkers(), (Markers{kFirst, kQ1Sales}));
}

TEST(PrintList, TodaysWordAndExcelFilesPrintAsTheOldOnes)
{
    const PdfQueue word("docx_pages"), excel("xlsx_sheets");
    const PravikRun run = printList("modern", {
        row("pages.docx", "\"3\"", "1", word.name()),
        row("sheets.xlsx", "\"Q1, Sales\"", "1", excel.name()),
    });
    EXPECT_EQ(run.status, 0) << run.progress;
    EXPECT_EQ(word.printedMarkers(), pages({3}));
    EXPECT_EQ(excel.printedMarkers(), (Markers{kQ1Sales}));
}

TEST(PrintList, CollationFollowsTheSettings)
{
    const PdfQueue collated("excel_collated");
    const PravikRun run = printList("collated", {
        row("sheets.xls", "\"First\",\"Second\"", "2", collated.name()),
    }, "SORT=1\r\n");
    EXPECT_EQ(run.status, 0) << run.progress;
    EXPECT_EQ(collated.printedMarkers(), (Markers{kFirst, kSecond, kFirst, kSecond}));
}

TEST(PrintList, AnExcelRowWithoutSheetsFollowsTheNoSheetRule)
{
    const PdfQueue active("rule_active"), every("rule_all"), none("rule_nothing");

    const PravikRun activeRun = printList("rule0", {row("sheets.xls", "", "1", active.name())}, "EXCEL=0\r\n");
    EXPECT_EQ(activeRun.status, 0) << activeRun.progress;
    EXPECT_EQ(active.printedMarkers(), (Markers{kSecond})); // the sheet shown when saved

    const PravikRun allRun = printList("rule1", {row("sheets.xls", "", "1", every.name())}, "EXCEL=1\r\n");
    EXPECT_EQ(allRun.status, 0) << allRun.progress;
    EXPECT_EQ(every.printedMarkers(), (Markers{kFirst, kSecond, kShuukei, kQ1Sales}));

    const PravikRun nothingRun = printList("rule2", {row("sheets.xls", "", "1", none.name())}, "EXCEL=2\r\n");
    EXPECT_EQ(nothingRun.status, 1);
    ASSERT_EQ(nothingRun.results.size(), 1u);
    EXPECT_EQ(fields(nothingRun.results[0])[0], "skipped");
    EXPECT_EQ(none.completedJobs(), 0);
    EXPECT_TRUE(none.printedMarkers().empty());
}

TEST(PrintList, RowsThatCannotPrintAreReportedAndTheRestPrints)
{
    const PdfQueue queue("errors_queue"), last("errors_last");
    PrintEntry missing = row("pages.doc", "", "1", queue.name());
    missing.filePath += ".gone";
    const PravikRun run = printList("errors", {
        missing,
        row("sheets.xls", "\"First\",\"No Such Sheet\"", "1", queue.name()),
        row("pages.doc", "", "1", "NoSuchPrinter"),
        row("pages.doc", "", "abc", queue.name()),
        row("sheets.xls", "\"First\"", "0", queue.name()),
        row("pages.doc", "\"abc\"", "1", queue.name()),
        row("pages.doc", "\"9-10\"", "1", queue.name()),
        row("pages.doc", "\"1\"", "1", last.name()),
    });

    EXPECT_EQ(run.status, 1);
    ASSERT_EQ(run.results.size(), 8u) << run.progress;
    const std::vector<std::string> reasons = {
        "が見つかりません", "No Such Sheet", "NoSuchPrinter", "部数 に 'abc'",
        "部数 に '0'", "ページ範囲 'abc'", "9-10",
    };
    for (size_t i = 0; i < reasons.size(); ++i) {
        const std::vector<std::string> parts = fields(run.results[i]);
        ASSERT_EQ(parts.size(), 4u) << run.results[i];
        EXPECT_EQ(parts[0], "failed") << run.results[i];
        EXPECT_NE(parts[3].find(reasons[i]), std::string::npos) << run.results[i];
    }
    EXPECT_EQ(fields(run.results[7])[0], "printed");
    EXPECT_EQ(queue.completedJobs(), 0); // nothing of a failed row comes out
    EXPECT_EQ(last.printedMarkers(), pages({1}));
}

// The id of the one completed job of the queue, -1 when it has none or more.
int onlyJobOf(const std::string& queue)
{
    waitForQueue(queue);
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.c_str(), 0, CUPS_WHICHJOBS_COMPLETED);
    const int id = count == 1 ? jobs[0].id : -1;
    cupsFreeJobs(count, jobs);
    return id;
}

// The offices the program runs now, told apart by their pipes.
std::set<std::string> officesOf(pid_t pravik)
{
    std::set<std::string> pipes;
    for (pid_t pid : officeProcessesOf(pravik)) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
        const std::string cmdline{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const size_t at = cmdline.find("pipe,name=");
        if (at != std::string::npos)
            pipes.insert(cmdline.substr(at, cmdline.find(';', at) - at));
    }
    return pipes;
}

TEST(PrintList, RowsRenderedOnTwoOfficesReachThePrintSystemInListOrder)
{
    struct Expected {
        PrintEntry entry;
        Markers out;
    };
    std::vector<std::unique_ptr<PdfQueue>> queues;
    const auto queue = [&] {
        queues.push_back(std::make_unique<PdfQueue>("ordered_" + std::to_string(queues.size() + 1)));
        return queues.back()->name();
    };
    const std::vector<Expected> expected = {
        {row("pages.doc", "\"2-3\"", "1", queue()), pages({2, 3})},
        {row("sheets.xls", "\"First\"", "2", queue()), {kFirst, kFirst}},
        {row("template.dot", "", "1", queue()), pages({1, 2}, "TEMPLATE-MARK-")},
        {row("sheets.xlt", "\"Second\",\"Q1, Sales\"", "1", queue()), {kSecond, kQ1Sales}},
        {row("pages.doc", "\"5\"", "2", queue()), pages({5, 5})},
        {row("sheets.xls", "\"集計 表\"", "1", queue()), {kShuukei}},
        {row("pages.doc", "", "1", queue()), pages({1, 2, 3, 4, 5})},
        {row("sheets.xlt", "\"First\"", "1", queue()), {kFirst}},
        {row("template.dot", "\"2\"", "2", queue()), pages({2, 2}, "TEMPLATE-MARK-")},
        {row("sheets.xls", "\"Q1, Sales\",\"First\"", "1", queue()), {kFirst, kQ1Sales}},
        {row("pages.doc", "\"1,4\"", "1", queue()), pages({1, 4})},
        {row("sheets.xls", "\"Second\"", "1", queue()), {kSecond}},
    };
    std::vector<PrintEntry> rows;
    for (const Expected& e : expected)
        rows.push_back(e.entry);

    size_t mostOffices = 0;
    const PravikRun run = runPravik(
        {"--print", writeList("ordered.lst", rows), "--ini", writeIni("ordered.ini", "SORT=0\r\n"),
         "--engines", "2"},
        [&](const std::string&, pid_t pid) { mostOffices = std::max(mostOffices, officesOf(pid).size()); });

    EXPECT_EQ(run.status, 0) << run.progress;
    ASSERT_EQ(run.results.size(), expected.size()) << run.progress;
    EXPECT_EQ(mostOffices, 2u) << "two offices rendered side by side";
    int previous = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i + 1));
        EXPECT_EQ(fields(run.results[i])[0], "printed") << run.results[i];
        const int job = onlyJobOf(queues[i]->name());
        EXPECT_GT(job, previous) << "a later row's job reached the print system first";
        previous = job;
        EXPECT_EQ(queues[i]->printedMarkers(), expected[i].out);
    }
    EXPECT_EQ(leftoversOf({run.pid}), std::vector<std::string>{});
}

TEST(PrintList, ACupsPdfQueueWritesThePdfFile)
{
    // cups-pdf writes into the home folder the system knows for the user,
    // whatever $HOME says.
    const passwd* user = ::getpwuid(::getuid());
    ASSERT_NE(user, nullptr);
    const std::filesystem::path folder = std::filesystem::path(user->pw_dir) / "PDF";
    std::set<std::filesystem::path> before;
    if (std::filesystem::exists(folder))
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            before.insert(entry.path());

    ASSERT_EQ(std::system("lpadmin -p test_cups_pdf -E -v cups-pdf:/ "
                          "-P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null"), 0);
    const PravikRun run = printList("cupspdf", {row("pages.doc", "\"1-2\"", "1", "test_cups_pdf")});
    waitForQueue("test_cups_pdf");
    [[maybe_unused]] const int removed = std::system("lpadmin -x test_cups_pdf");

    EXPECT_EQ(run.status, 0) << run.progress;
    std::vector<std::filesystem::path> made;
    if (std::filesystem::exists(folder))
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (!before.count(entry.path()))
                made.push_back(entry.path());
    ASSERT_EQ(made.size(), 1u);
    const std::string info = [&] {
        std::string out;
        FILE* pipe = ::popen(("pdfinfo '" + made[0].string() + "'").c_str(), "r");
        char buffer[256];
        while (pipe && std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        if (pipe)
            ::pclose(pipe);
        return out;
    }();
    EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
    for (const auto& file : made)
        std::filesystem::remove(file);
}

} // namespace
} // namespace pravik::test
