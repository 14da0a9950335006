#include "Error.h"
#include "HeadlessRun.h"
#include "ListFile.h"
#include "ProgramInfo.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <utility>
#include <sstream>

#include <sys/stat.h>

namespace pravik::test {
namespace {

// Jobs that end as scripted by file path, and remember what they were given.
class ScriptedJobs : public PrintJobs {
public:
    std::map<std::string, std::string> failures; // path -> error text
    std::map<std::string, std::string> notes;    // path -> note of a printed row
    std::vector<std::string> calls;
    JobOutcome excelOutcome = JobOutcome::Done;

    JobOutcome printExcel(const PrintEntry& entry, PrintMode) override
    {
        run(entry);
        return excelOutcome;
    }
    void printWord(const PrintEntry& entry, PrintMode) override { run(entry); }
    std::vector<std::string> takeNotes() override { return std::exchange(pendingNotes, {}); }

private:
    std::vector<std::string> pendingNotes;

    void run(const PrintEntry& entry)
    {
        calls.push_back(entry.filePath);
        if (const auto failure = failures.find(entry.filePath); failure != failures.end())
            throw Error(failure->second);
        if (const auto note = notes.find(entry.filePath); note != notes.end())
            pendingNotes.push_back(note->second);
    }
};

class HeadlessRunTest : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedJobs jobs;
    Settings seenSettings;
    std::ostringstream results;
    std::ostringstream progress;
    bool previewEnded = false;
    int stopAfterCalls = -1; // a stop signal arrives once this many jobs ran

    HeadlessServices services()
    {
        HeadlessServices s;
        s.currentPrinter = [] { return std::string("Office"); };
        s.makeJobs = [this](const Settings& settings) -> std::unique_ptr<PrintJobs> {
            seenSettings = settings;
            struct Forward : PrintJobs {
                PrintJobs& to;
                explicit Forward(PrintJobs& jobs) : to(jobs) {}
                JobOutcome printExcel(const PrintEntry& e, PrintMode m) override { return to.printExcel(e, m); }
                void printWord(const PrintEntry& e, PrintMode m) override
                {
                    to.printWord(e, m);
                }
                std::vector<std::string> takeNotes() override { return to.takeNotes(); }
            };
            return std::make_unique<Forward>(jobs);
        };
        s.afterPreview = [this] { previewEnded = true; };
        s.stopSignal = [this] { return stopAfterCalls >= 0 && static_cast<int>(jobs.calls.size()) >= stopAfterCalls ? SIGTERM : 0; };
        return s;
    }

    int run(const std::vector<PrintEntry>& rows, PrintMode mode = PrintMode::Print,
            const std::string& ini = "[MAIN]\r\nPRINT=0\r\nEXCEL=2\r\n")
    {
        writeListFile(dir.file("list.lst"), rows);
        writeBytes(dir.file("main.ini"), ini);
        return runHeadless({mode, dir.file("list.lst"), dir.file("main.ini"), {}}, services(), results,
                           progress);
    }

    static PrintEntry entry(const std::string& name)
    {
        return {name, "", "", name.substr(name.size() - 3), "1", "P", "/docs/" + name};
    }
};

TEST_F(HeadlessRunTest, PrintsEveryRowWithoutAskingAndReportsEach)
{
    jobs.failures["/docs/b.xls"] = "ファイル /docs/b.xls が見つかりません";
    const int status = run({entry("a.doc"), entry("b.xls"), entry("c.txt"), entry("d.dot")});

    EXPECT_EQ(status, kSomeRowsNotPrinted);
    EXPECT_EQ(jobs.calls, (std::vector<std::string>{"/docs/a.doc", "/docs/b.xls", "/docs/d.dot"}));
    EXPECT_EQ(results.str(),
              "printed\t1\t/docs/a.doc\n"
              "failed\t2\t/docs/b.xls\tファイル /docs/b.xls が見つかりません\n"
              "skipped\t3\t/docs/c.txt\tWord と Excel の文書ではありません\n"
              "printed\t4\t/docs/d.dot\n");
    EXPECT_NE(progress.str().find("[1/4] 印刷中: a.doc\n"), std::string::npos);
    EXPECT_NE(progress.str().find("[4/4] 印刷中: d.dot\n"), std::string::npos);
    // The settings of the given ini file reach the jobs; PRINT=0 selects nothing,
    // yet every row is printed.
    EXPECT_EQ(seenSettings.excelNoSheetRule, PrintNothing);
}

TEST_F(HeadlessRunTest, SucceedsOnlyWhenEveryRowPrinted)
{
    EXPECT_EQ(run({entry("a.doc"), entry("b.xls")}), kAllRowsPrinted);

    // A row the settings leave unprinted is not printed either.
    jobs.excelOutcome = JobOutcome::Skipped;
    results.str("");
    EXPECT_EQ(run({entry("b.xls")}), kSomeRowsNotPrinted);
    EXPECT_EQ(results.str(), "skipped\t1\t/docs/b.xls\tシートが指定されていないため印刷しません\n");
}

TEST_F(HeadlessRunTest, APrintedRowCarriesTheNoteOfItsJob)
{
    jobs.notes["/docs/a.doc"] = "プリンター P は停止中です";
    EXPECT_EQ(run({entry("a.doc"), entry("b.doc")}), kAllRowsPrinted);
    EXPECT_EQ(results.str(), "printed\t1\t/docs/a.doc\tプリンター P は停止中です\n"
                             "printed\t2\t/docs/b.doc\n");
    EXPECT_NE(progress.str().find("■ プリンター P は停止中です\n　a.doc"), std::string::npos) << progress.str();
}

TEST_F(HeadlessRunTest, AStopSignalEndsTheRunAfterTheRowInHandAndEveryOtherRowGetsItsLine)
{
    stopAfterCalls = 1;
    EXPECT_EQ(run({entry("a.doc"), entry("b.doc"), entry("c.xls")}), 128 + SIGTERM);
    EXPECT_EQ(jobs.calls, (std::vector<std::string>{"/docs/a.doc"}));
    EXPECT_EQ(results.str(), "printed\t1\t/docs/a.doc\n"
                             "stopped\t2\t/docs/b.doc\t中止したため印刷していません\n"
                             "stopped\t3\t/docs/c.xls\t中止したため印刷していません\n");
}

TEST_F(HeadlessRunTest, PreviewsAndThenWaitsForThePreviews)
{
    EXPECT_EQ(run({entry("a.doc")}, PrintMode::Preview), kAllRowsPrinted);
    EXPECT_EQ(results.str(), "previewed\t1\t/docs/a.doc\n");
    EXPECT_TRUE(previewEnded);
}

TEST_F(HeadlessRunTest, AListThatCannotBeReadPrintsNothing)
{
    writeBytes(dir.file("main.ini"), "");
    EXPECT_EQ(runHeadless({PrintMode::Print, dir.file("missing.lst"), dir.file("main.ini"), {}}, services(),
                          results, progress),
              kRunImpossible);
    // A list whose last entry is cut short is damaged: none of it prints.
    writeBytes(dir.file("cut.lst"), "a.doc\r\n\r\n\r\ndoc\r\n1\r\nP\r\n/docs/a.doc\r\nb.doc\r\n");
    EXPECT_EQ(runHeadless({PrintMode::Print, dir.file("cut.lst"), dir.file("main.ini"), {}}, services(),
                          results, progress),
              kRunImpossible);
    EXPECT_TRUE(jobs.calls.empty());
    EXPECT_TRUE(results.str().empty());
}

TEST_F(HeadlessRunTest, TimeoutAndEnginesOnTheCommandLineOverrideTheSettings)
{
    writeListFile(dir.file("list.lst"), {entry("a.doc")});
    writeBytes(dir.file("main.ini"), "[OFFICE]\r\nTIMEOUT=40\r\nENGINES=3\r\n");
    runHeadless({PrintMode::Print, dir.file("list.lst"), dir.file("main.ini"), {}}, services(), results,
                progress);
    EXPECT_EQ(seenSettings.officeTimeout, 40);
    EXPECT_EQ(seenSettings.officeEngines, 3);
    runHeadless({PrintMode::Print, dir.file("list.lst"), dir.file("main.ini"), 7, 2}, services(), results,
                progress);
    EXPECT_EQ(seenSettings.officeTimeout, 7);
    EXPECT_EQ(seenSettings.officeEngines, 2);
}

TEST(HeadlessArguments, TimeoutTakesWholePositiveSeconds)
{
    const auto timed = parseHeadlessArguments({"--print", "a.lst", "--timeout", "45"});
    ASSERT_TRUE(timed);
    EXPECT_EQ(timed->timeoutSeconds, 45);
    EXPECT_FALSE(parseHeadlessArguments({"--print", "a.lst"})->timeoutSeconds);

    for (const char* wrong : {"0", "-5", "10s", "", "1.5", "99999999999"})
        EXPECT_THROW(parseHeadlessArguments({"--print", "a.lst", "--timeout", wrong}), Error) << wrong;
    EXPECT_THROW(parseHeadlessArguments({"--print", "a.lst", "--timeout"}), Error);

    EXPECT_EQ(parseHeadlessArguments({"--print", "a.lst", "--engines", "2"})->engines, 2);
    EXPECT_THROW(parseHeadlessArguments({"--print", "a.lst", "--engines", "0"}), Error);
    EXPECT_THROW(parseHeadlessArguments({"--print", "a.lst", "--engines"}), Error);
}

TEST_F(HeadlessRunTest, ANamedIniThatIsMissingAFolderOrAPipeStopsTheRun)
{
    writeListFile(dir.file("list.lst"), {entry("a.doc")});
    ASSERT_EQ(::mkfifo(dir.file("pipe.ini").c_str(), 0644), 0);
    for (const std::string& ini : {dir.file("missing.ini"), dir.path().string(), dir.file("pipe.ini")}) {
        progress.str("");
        EXPECT_EQ(runHeadless({PrintMode::Print, dir.file("list.lst"), ini}, services(), results, progress),
                  kRunImpossible);
        EXPECT_TRUE(progress.str().starts_with("pravik: 設定ファイル " + ini)) << progress.str();
        EXPECT_TRUE(progress.str().ends_with("\n"));
    }
    EXPECT_TRUE(jobs.calls.empty());
}

TEST_F(HeadlessRunTest, AnEmptyListSaysSoAndPrintsNothing)
{
    EXPECT_EQ(run({}), kAllRowsPrinted);
    EXPECT_EQ(progress.str(), "pravik: リスト " + dir.file("list.lst") + " には行がないため、何も印刷しません\n");
    EXPECT_TRUE(results.str().empty());
}

TEST(HeadlessErrors, EveryErrorIsOneLineEndedOnce)
{
    try {
        parseHeadlessArguments({"--print", "/home/caf\xC3\xA9.lst"}); // no Shift-JIS form
        FAIL() << "no error";
    } catch (const Error& error) {
        const std::string line = headlessErrorLine(error.what());
        EXPECT_TRUE(line.starts_with("pravik: ファイル名 /home/caf"));
        EXPECT_TRUE(line.ends_with("扱えません\n"));
    }
    EXPECT_EQ(headlessErrorLine("usage\n"), "pravik: usage\n");
}

TEST(HeadlessArguments, SelectTheModeTheListAndTheSettings)
{
    EXPECT_FALSE(parseHeadlessArguments({}));
    EXPECT_FALSE(parseHeadlessArguments({"-platform", "offscreen"})); // Qt's, for the windows

    const auto print = parseHeadlessArguments({"--print", "week.lst"});
    ASSERT_TRUE(print);
    EXPECT_EQ(print->mode, PrintMode::Print);
    EXPECT_EQ(print->listFile, "week.lst");
    EXPECT_TRUE(print->iniFile.empty());

    const auto preview = parseHeadlessArguments({"--ini", "x.ini", "--preview", "week.lst"});
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->mode, PrintMode::Preview);
    EXPECT_EQ(preview->iniFile, "x.ini");

    for (const std::vector<std::string>& wrong :
         std::vector<std::vector<std::string>>{{"--print"}, {"--print", "a.lst", "b.lst"},
                                               {"--print", "--preview", "a.lst"},
                                               {"--print", "a.lst", "--ini"}, {"--print", "-x", "a.lst"}})
        EXPECT_THROW(parseHeadlessArguments(wrong), Error);
}

TEST(ProgramInfo, HelpAndVersionAreAnsweredWithoutARun)
{
    EXPECT_EQ(infoRequested({"--print", "a.lst", "/?"}), InfoRequest::Usage);
    EXPECT_EQ(infoRequested({"--version"}), InfoRequest::Version);
    EXPECT_EQ(infoRequested({"week.lst"}), InfoRequest::None);

    TempDir dir;
    writeBytes(dir.file("main.ini"), "[TITLE]\r\nAPP_NAME=Pravik\r\nVERSION=2.3\r\n");
    std::ostringstream out;
    EXPECT_EQ(answerInfoRequest(InfoRequest::Version, dir.file("main.ini"), out), 0);
    EXPECT_EQ(out.str(), "Pravik 2.3\n");
}

} // namespace
} // namespace pravik::test
