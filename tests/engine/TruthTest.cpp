// A row's result says what really happened: printed once the print system
// has its job, refused when the file is not what its name says, and the
// reason in words the user can act on.
#include "EngineSession.h"
#include "OfficeEngine.h"
#include "TextCodec.h"
#include "UnoRuntime.h"

#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace pravik::test {
namespace {

using Markers = std::vector<std::string>;

PravikRun printRows(const std::string& name, const std::vector<PrintEntry>& rows)
{
    return runPravik({"--print", writeList(name + ".lst", rows), "--ini", writeIni(name + ".ini", "")});
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

void shell(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

TEST(Truth, FilesTheOfficeCouldReadOnlyAsPlainTextAreRefused)
{
    const PdfQueue queue("garbage");
    const PravikRun run = printRows("garbage", {
        row("garbage.doc", "", "1", queue.name()),
        row("garbage.xls", "", "1", queue.name()),
        row("truncated.xls", "", "1", queue.name()),
        row("page-html.doc", "", "1", queue.name()),
    });
    ASSERT_EQ(run.results.size(), 4u) << run.progress;
    EXPECT_EQ(fields(run.results[0])[0], "failed");
    EXPECT_TRUE(contains(run.results[0], "Word の文書ではありません")) << run.results[0];
    for (size_t i : {1u, 2u}) {
        EXPECT_EQ(fields(run.results[i])[0], "failed");
        EXPECT_TRUE(contains(run.results[i], "Excel のブックではありません")
                    || contains(run.results[i], "開けません")) << run.results[i];
    }
    // Word opens HTML under its own extension, and so does this program.
    EXPECT_EQ(fields(run.results[3])[0], "printed") << run.results[3];
    EXPECT_EQ(queue.printedMarkers(), Markers{"HTML-MARK-1"});
}

// Saves what the office reads from `source` (an URL or a document in the
// session's folder) as `name` in the session's root through `filter`, with
// the password to open where one is given. Returns the path.
std::string storedCopy(const std::string& source, const std::string& name, const char* filter,
                       const std::string& password = {})
{
    using namespace pravik::office;
    const std::string copy = EngineSession::get().root + "/" + name;
    const Reference<css::frame::XComponentLoader> loader(printEngine().desktop(), UNO_QUERY_THROW);
    const rtl::OUString url = source.starts_with("private:") ? fromUtf8(source)
                                                             : fileUrl(codec::fromUtf8(EngineSession::get().doc(source)));
    const Reference<css::lang::XComponent> document =
        loader->loadComponentFromURL(url, "_blank", 0, properties({{"Hidden", Any(true)}}));
    std::vector<Property> options = {{"FilterName", Any(fromUtf8(filter))}};
    if (!password.empty())
        options.push_back({"Password", Any(fromUtf8(password))});
    Reference<css::frame::XStorable>(document, UNO_QUERY_THROW)->storeToURL(fileUrl(codec::fromUtf8(copy)), properties(options));
    Reference<css::util::XCloseable>(document, UNO_QUERY_THROW)->close(true);
    return copy;
}

TEST(Truth, PasswordProtectedDocumentsSaySoInEveryFormat)
{
    const PdfQueue queue("locked");
    PrintEntry workbook = row("locked.xls", "", "1", queue.name());
    workbook.filePath = codec::fromUtf8(storedCopy("sheets.xls", "locked.xls", "MS Excel 97", "secret"));
    office::shutdownEngines();
    std::vector<PrintEntry> rows = {workbook};
    // This office cannot save .docx or .xlsx with a password: the container
    // Word and Excel save then, as far as it tells them apart from a zip.
    std::string encrypted("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    encrypted += std::string(504, '\0');
    for (const char c : std::string("EncryptedPackage"))
        encrypted += std::string{c, '\0'};
    for (const char* name : {"locked.docx", "locked.xlsx"}) {
        const std::string path = EngineSession::get().root + "/" + name;
        std::ofstream(path, std::ios::binary) << encrypted;
        PrintEntry entry = row(name, "", "1", queue.name());
        entry.filePath = codec::fromUtf8(path);
        rows.push_back(entry);
    }
    const PravikRun run = printRows("locked", rows);
    ASSERT_EQ(run.results.size(), rows.size()) << run.progress;
    for (const std::string& result : run.results) {
        EXPECT_EQ(fields(result)[0], "failed");
        EXPECT_TRUE(contains(result, "パスワードで保護されている")) << result;
    }
}

TEST(Truth, EmptySheetsAndEmptyFilesPrintNothingAndSaySo)
{
    PrintEntry emptySheet = row("blank.xls", "\"Sheet1\"", "1", "");
    emptySheet.filePath = codec::fromUtf8(storedCopy("private:factory/scalc", "blank.xls", "MS Excel 97"));
    office::shutdownEngines();
    const std::string zero = EngineSession::get().root + "/zero.doc";
    std::ofstream{zero};
    const PdfQueue queue("nothing");
    emptySheet.printer = queue.name();
    PrintEntry zeroRow = row("zero.doc", "", "1", queue.name());
    zeroRow.filePath = codec::fromUtf8(zero);
    const PravikRun run = printRows("nothing", {emptySheet, zeroRow, row("sheets.xls", "\"First\"", "1", queue.name())});
    ASSERT_EQ(run.results.size(), 3u) << run.progress;
    for (size_t i : {0u, 1u}) {
        EXPECT_EQ(fields(run.results[i])[0], "skipped") << run.results[i];
        EXPECT_TRUE(contains(run.results[i], "印刷するものがありません")) << run.results[i];
    }
    EXPECT_EQ(fields(run.results[2])[0], "printed") << run.results[2];
    EXPECT_EQ(queue.completedJobs(), 1) << "no blank page for the empty sheet";
}

TEST(Truth, AWordRowWhoseJobWasAcceptedStaysPrintedWhenItsDefaultPrinterGoes)
{
    const PdfQueue target("accepted_target");
    {
        const PdfQueue fleeting("fleeting_default");
        shell("lpadmin -d " + fleeting.name());
        // A job reads the printers once, when it starts: the default goes
        // while the first row prints, so the second row's job finds it gone
        // when it sets the printer back.
        const PravikRun run = runPravik(
            {"--print",
             writeList("accepted.lst", {row("long.doc", "", "1", target.name()),
                                        row("pages.doc", "", "1", target.name())}),
             "--ini", writeIni("accepted.ini", ""), "--engines", "1"},
            [&](const std::string& line, pid_t) {
                if (line.starts_with("[1/2]"))
                    shell("lpadmin -x " + fleeting.name());
            });
        shell("lpadmin -d Default");
        ASSERT_EQ(run.results.size(), 2u) << run.progress;
        EXPECT_EQ(fields(run.results[1])[0], "printed") << run.results[1];
        EXPECT_TRUE(contains(run.results[1], "受け付け後")) << run.results[1];
        EXPECT_EQ(run.status, 0);
    }
    EXPECT_EQ(target.completedJobs(), 2);
}

TEST(Truth, PrinterNamesMatchWithoutCaseAndInstancesBringTheirOptions)
{
    const PdfQueue named("named_queue"), instanced("instanced_queue");
    // The instance prints only page 2 of whatever it is given.
    std::ofstream(EngineSession::get().root + "/lpoptions", std::ios::app)
        << "Dest " << instanced.name() << "/second page-ranges=2\n";
    const PravikRun run = printRows("instances", {
        row("pages.doc", "\"1\"", "1", "NAMED_Queue"),
        row("pages.doc", "", "1", instanced.name() + "/second"),
    });
    EXPECT_EQ(run.status, 0) << run.progress;
    ASSERT_EQ(run.results.size(), 2u) << run.progress;
    EXPECT_EQ(named.printedMarkers(), Markers{"PAGE-MARK-1"});
    EXPECT_EQ(instanced.printedMarkers(), Markers{"PAGE-MARK-2"});
}

TEST(Truth, AStoppedQueuePrintsAndSaysItIsStopped)
{
    const PdfQueue queue("stopped_queue");
    shell("cupsdisable " + queue.name());
    const PravikRun run = printRows("stopped", {row("pages.doc", "\"1\"", "1", queue.name())});
    EXPECT_EQ(run.status, 0) << run.progress;
    ASSERT_EQ(run.results.size(), 1u) << run.progress;
    EXPECT_EQ(fields(run.results[0])[0], "printed");
    EXPECT_TRUE(contains(run.results[0], "停止中")) << run.results[0];
    EXPECT_TRUE(contains(run.progress, "停止中")) << run.progress;
}

TEST(Truth, AQueueRefusingJobsFailsItsRowWithThePrintSystemsReason)
{
    const PdfQueue queue("refusing_queue");
    shell("cupsreject " + queue.name());
    const PravikRun run = printRows("refusing", {row("pages.doc", "\"1\"", "1", queue.name())});
    EXPECT_EQ(run.status, 1) << run.progress;
    ASSERT_EQ(run.results.size(), 1u) << run.progress;
    EXPECT_EQ(fields(run.results[0])[0], "failed");
    EXPECT_TRUE(contains(run.results[0], "受け付けませんでした")) << run.results[0];
    EXPECT_EQ(queue.completedJobs(), 0);
}

TEST(Truth, AnUnreachablePrintSystemIsNamedAsSuch)
{
    const std::string server = EngineSession::get().cupsServer;
    ::setenv("CUPS_SERVER", (EngineSession::get().root + "/no-such.sock").c_str(), 1);
    const PravikRun run = printRows("unreachable", {row("pages.doc", "", "1", "Default")});
    ::setenv("CUPS_SERVER", server.c_str(), 1);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(contains(run.progress, "印刷システム (CUPS) が動いていないか、応答しません")) << run.progress;
    // The socket is missing: not an error of some later call.
    EXPECT_FALSE(contains(run.progress, "Bad file descriptor") || contains(run.progress, "不正なファイル記述子"))
        << run.progress;
}

// The print system stops answering for longer than the deadline while the
// second of four rows is in hand, then goes on: whatever point of a row that
// hits, a row is reported printed exactly when its job printed.
TEST(Truth, ReportsEqualWhatThePrintSystemHoldsWhenItStallsPastTheDeadline)
{
    const pid_t cupsd = EngineSession::get().cupsd;
    for (const char* engines : {"1", "3"}) {
        // A queue for each row: each job writes its queue's output anew.
        std::vector<std::unique_ptr<PdfQueue>> queues;
        std::vector<PrintEntry> rows;
        for (const char* page : {"1", "2", "3", "4"}) {
            queues.push_back(std::make_unique<PdfQueue>(std::string("stalling_") + engines + "_" + page));
            rows.push_back(row("pages.doc", std::string("\"") + page + "\"", "1", queues.back()->name()));
        }
        std::thread resume;
        const PravikRun run = runPravik(
            {"--print", writeList("stalling.lst", rows), "--ini", writeIni("stalling.ini", ""), "--timeout", "6",
             "--engines", engines},
            [&](const std::string& line, pid_t) {
                if (!line.starts_with("[2/4]") || resume.joinable())
                    return;
                ::kill(cupsd, SIGSTOP);
                resume = std::thread([cupsd] {
                    std::this_thread::sleep_for(std::chrono::seconds(10));
                    ::kill(cupsd, SIGCONT);
                });
            });
        if (resume.joinable())
            resume.join();
        ::kill(cupsd, SIGCONT);
        ASSERT_EQ(run.results.size(), 4u) << run.progress;
        int stalled = 0; // rows the stall reached: not printed, or printed after it
        for (size_t i = 0; i < 4; ++i) {
            const bool printed = fields(run.results[i])[0] == "printed";
            stalled += !printed || contains(run.results[i], "応答しませんでした") ? 1 : 0;
            EXPECT_EQ(queues[i]->printedMarkers(), printed ? Markers{"PAGE-MARK-" + std::to_string(i + 1)} : Markers{})
                << "engines " << engines << ": " << run.results[i];
            EXPECT_FALSE(contains(run.results[i], "オフィス エンジンを終了")) << run.results[i];
        }
        EXPECT_GT(stalled, 0) << "the stall missed every row\n" << run.progress;
    }
}

} // namespace
} // namespace pravik::test
