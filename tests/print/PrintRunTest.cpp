#include "PrintRun.h"

#include "AutomationWorker.h"
#include "JobNotes.h"
#include "NothingToPrint.h"
#include "OutcomeUnknown.h"
#include "PrintLanes.h"
#include "SubmissionGate.h"

#include "Error.h"
#include "Settings.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <tuple>

using namespace pravik;

namespace {

PrintEntry row(std::string fileName, std::string extension)
{
    PrintEntry e;
    e.fileName = std::move(fileName);
    e.extension = std::move(extension);
    e.printer = "LP-" + e.fileName;
    return e;
}

// The main window as the run sees it: the list view's selection in report
// view, the progress dialog and the window state.
class FakeHost : public PrintRunHost {
public:
    std::vector<PrintEntry> rows;
    std::vector<bool> selected;
    std::string printer = "OfficePrinter";
    std::function<std::string()> printerFailure;
    bool answer = true;

    // Called on every processPendingEvents with the row on show.
    std::function<void(int row, int round)> onEvents;
    std::function<void(int row)> onEntry;

    std::vector<std::pair<std::string, std::string>> confirms;
    std::vector<std::pair<std::string, std::string>> reports;
    std::vector<std::pair<std::string, std::string>> notices; // reports without a failure
    std::set<int> unprintable;
    std::vector<std::vector<bool>> selectionAtConfirm;
    std::vector<std::pair<std::string, std::string>> progress;
    std::vector<int> entriesRead;
    int flag = 0;
    bool progressShown = false;
    bool windowEnabled = true;
    bool busy = false;
    bool enabledAtReport = false;
    int belowSearches = 0;
    int hideCalls = 0;

    void setRows(std::vector<PrintEntry> r, std::vector<bool> sel)
    {
        rows = std::move(r);
        selected = std::move(sel);
    }

    std::string currentPrinter() override
    {
        if (printerFailure)
            throw Error(printerFailure());
        return printer;
    }
    void selectAllRows() override { selected.assign(rows.size(), true); }
    int selectedCount() const override
    {
        return static_cast<int>(std::count(selected.begin(), selected.end(), true));
    }
    int firstSelectedRow() const override { return nextFrom(0); }
    int nextSelectedBelow(int r) const override
    {
        ++const_cast<FakeHost*>(this)->belowSearches;
        return nextFrom(r + 1);
    }
    PrintEntry entry(int r) const override
    {
        const_cast<FakeHost*>(this)->entriesRead.push_back(r);
        if (onEntry)
            onEntry(r);
        return rows.at(r);
    }
    bool confirm(const std::string& text, const std::string& caption) override
    {
        confirms.emplace_back(text, caption);
        selectionAtConfirm.push_back(selected);
        return answer;
    }
    std::string printProblem(int r) const override { return unprintable.contains(r) ? "no" : ""; }
    void reportFailures(const std::string& text, const std::string& caption) override
    {
        reports.emplace_back(text, caption);
        enabledAtReport = windowEnabled && !busy && !progressShown;
    }
    void reportNotice(const std::string& text, const std::string& caption) override
    {
        notices.emplace_back(text, caption);
    }
    void showProgress(const std::string& message, const std::string& fileLine) override
    {
        if (!progressShown)
            flag = 0; // the dialog clears the flag when it appears
        progressShown = true;
        progress.emplace_back(message, fileLine);
    }
    void hideProgress() override
    {
        progressShown = false;
        ++hideCalls;
    }
    void processPendingEvents() override
    {
        if (onEvents)
            onEvents(entriesRead.back(), ++round_);
    }
    int abortFlag() const override { return flag; }
    bool cancelJob = false; // the progress dialog's choice
    bool cancelsJobInHand() const override { return cancelJob; }
    void setMainWindowEnabled(bool enabled) override { windowEnabled = enabled; }
    void setBusyCursor(bool b) override { busy = b; }

    void pressAbort()
    {
        flag = 1;
        progressShown = false;
    }

    bool restored() const { return windowEnabled && !busy && !progressShown && hideCalls > 0; }

private:
    int nextFrom(int r) const
    {
        for (int i = r; i < static_cast<int>(selected.size()); ++i)
            if (selected[i])
                return i;
        return -1;
    }
    int round_ = 0;
};

struct JobCall {
    std::string kind;
    std::string fileName;
    PrintMode mode;
};

class FakeJobs : public PrintJobs {
public:
    explicit FakeJobs(FakeHost& host) : host_(host) {}

    std::vector<JobCall> calls;
    // Thrown for the file of that name.
    std::map<std::string, std::function<void()>> failures;
    std::set<std::string> skipped;
    // What the job of the file of that name learns although it printed.
    std::map<std::string, std::string> notes;
    bool windowDisabledDuringJobs = true;

    JobOutcome printExcel(const PrintEntry& entry, PrintMode mode) override
    {
        record("excel", entry, mode);
        return skipped.count(entry.fileName) ? JobOutcome::Skipped : JobOutcome::Done;
    }
    void printWord(const PrintEntry& entry, PrintMode mode) override
    {
        record("word", entry, mode);
    }

    // The rows told to follow before each job, blank-separated.
    std::vector<std::string> toldAfter;
    void expectAfter(const std::vector<PrintEntry>& next) override
    {
        std::string names;
        for (const PrintEntry& entry : next)
            names += (names.empty() ? "" : " ") + entry.fileName;
        toldAfter.push_back(names);
    }

    std::vector<std::string> takeNotes() override
    {
        const auto note = notes.find(calls.back().fileName);
        return note == notes.end() ? std::vector<std::string>{} : std::vector<std::string>{note->second};
    }

    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (const JobCall& c : calls)
            names.push_back(c.fileName);
        return names;
    }

private:
    void record(const char* kind, const PrintEntry& entry, PrintMode mode)
    {
        if (host_.windowEnabled || !host_.busy || !host_.progressShown)
            windowDisabledDuringJobs = false;
        calls.push_back({kind, entry.fileName, mode});
        if (auto f = failures.find(entry.fileName); f != failures.end())
            f->second();
    }
    FakeHost& host_;
};

using Names = std::vector<std::string>;

class PrintRunTest : public ::testing::Test {
protected:
    FakeHost host;
    FakeJobs jobs{host};

    void run(PrintMode mode = PrintMode::Print, int target = SelectedRows)
    {
        PrintRun(host, jobs, target).printFiles(mode);
    }
};

TEST_F(PrintRunTest, NoSelectionEndsWithoutConfirmation)
{
    host.setRows({row("a.xls", "xls"), row("b.doc", "doc")}, {false, false});
    run();
    EXPECT_TRUE(host.confirms.empty());
    EXPECT_TRUE(jobs.calls.empty());
    EXPECT_TRUE(host.restored());

    host.setRows({}, {});
    run(PrintMode::Print, AllRows);
    EXPECT_TRUE(host.confirms.empty());
}

TEST_F(PrintRunTest, AllRowsSelectsEveryRowBeforeConfirmingAndKeepsThemOnCancel)
{
    host.setRows({row("a.xls", "xls"), row("b.doc", "doc"), row("c.doc", "doc")},
                 {false, true, false});
    host.answer = false;
    run(PrintMode::Print, AllRows);

    ASSERT_EQ(host.selectionAtConfirm.size(), 1u);
    EXPECT_EQ(host.selectionAtConfirm[0], (std::vector<bool>{true, true, true}));
    EXPECT_EQ(host.selected, (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(jobs.calls.empty());
    EXPECT_TRUE(host.progress.empty());
    EXPECT_TRUE(host.restored());
}

TEST_F(PrintRunTest, TextsFollowTheMode)
{
    host.setRows({row("a.doc", "doc")}, {true});
    run(PrintMode::Print);
    run(PrintMode::Preview);

    ASSERT_EQ(host.confirms.size(), 2u);
    EXPECT_EQ(host.confirms[0].first, "選択したファイルを印刷します。よろしいですか？");
    EXPECT_EQ(host.confirms[0].second, "印刷確認");
    EXPECT_EQ(host.confirms[1].first, "選択したファイルを印刷プレビューします。よろしいですか？");
    EXPECT_EQ(host.confirms[1].second, "プレビュー確認");
    ASSERT_EQ(host.progress.size(), 2u);
    EXPECT_EQ(host.progress[0].first, "ただいまファイルを印刷中です。しばらくお待ちください。（1 / 1）");
    EXPECT_EQ(host.progress[1].first, "ただいま印刷プレビュー中です。（1 / 1）") << "Word's preview does not hold the run";
}

TEST_F(PrintRunTest, SelectedRowsRunInListOrderAndOthersAreUntouched)
{
    host.setRows({row("1.xls", "xls"), row("2.doc", "doc"), row("3.doc", "doc"), row("4.xlt", "xlt")},
                 {true, false, true, true});
    run(PrintMode::Preview);

    EXPECT_EQ(jobs.files(), (Names{"1.xls", "3.doc", "4.xlt"}));
    EXPECT_EQ(host.entriesRead, (std::vector<int>{0, 2, 3}));
    EXPECT_TRUE(jobs.windowDisabledDuringJobs);
    ASSERT_EQ(jobs.calls.size(), 3u);
    EXPECT_EQ(jobs.calls[0].kind, "excel");
    EXPECT_EQ(jobs.calls[1].kind, "word");
    for (const JobCall& c : jobs.calls)
        EXPECT_EQ(c.mode, PrintMode::Preview);
    EXPECT_TRUE(host.restored());
    EXPECT_TRUE(host.reports.empty());
}

TEST_F(PrintRunTest, OneSelectedRowEndsRightAfterItsJob)
{
    host.setRows({row("a.doc", "doc"), row("b.doc", "doc")}, {false, true});
    run();
    EXPECT_EQ(jobs.files(), (Names{"b.doc"}));
    EXPECT_EQ(host.belowSearches, 0);
    EXPECT_TRUE(host.restored());
}

TEST_F(PrintRunTest, EachPrintedRowTellsTheJobsTheNextRowsAndAPreviewTellsNone)
{
    host.setRows({row("a.doc", "doc"), row("b.xls", "xls"), row("c.doc", "doc"), row("d.doc", "doc")},
                 {true, true, false, true});
    run();
    EXPECT_EQ(jobs.toldAfter, (Names{"b.xls d.doc", "d.doc", ""}));
    jobs.toldAfter.clear();
    run(PrintMode::Preview);
    EXPECT_EQ(jobs.toldAfter, (Names{"", "", ""}));
}

TEST_F(PrintRunTest, SkippedOrFailedSingleRowStillLooksForTheNextRow)
{
    host.setRows({row("a.xls", "xls"), row("b.doc", "doc")}, {true, false});
    jobs.skipped.insert("a.xls");
    run();
    EXPECT_EQ(host.belowSearches, 1);
    EXPECT_TRUE(host.reports.empty()) << "a row without sheets is not a failure";

    host.belowSearches = 0;
    host.setRows({row("a.doc", "doc"), row("b.doc", "doc")}, {true, false});
    jobs.failures["a.doc"] = [] { throw Error("x"); };
    run();
    EXPECT_EQ(host.belowSearches, 1);
}

TEST_F(PrintRunTest, ForeignExtensionIsAnnouncedButStartsNoJob)
{
    host.setRows({row("notes.txt", "txt"), row("book.xlsb", "xlsb"), row("b.doc", "doc")},
                 {true, true, true});
    run();
    ASSERT_EQ(host.progress.size(), 3u);
    EXPECT_EQ(host.progress[0].second, "notes.txt");
    EXPECT_EQ(jobs.files(), (Names{"b.doc"}));
    EXPECT_TRUE(host.reports.empty());
}

TEST_F(PrintRunTest, ExtensionCaseDoesNotMatter)
{
    // "ＸＬＳ" in CP932: full-width letters are not the extension xls.
    const std::string wideXls = "\x82\x77\x82\x6b\x82\x72";
    host.setRows({row("a", "XLS"), row("b", "Doc"), row("c", "xLt"), row("d", "DOT"), row("e", wideXls)},
                 {true, true, true, true, true});
    run();
    ASSERT_EQ(jobs.files(), (Names{"a", "b", "c", "d"}));
    EXPECT_EQ(jobs.calls[0].kind, "excel");
    EXPECT_EQ(jobs.calls[1].kind, "word");
    EXPECT_EQ(jobs.calls[2].kind, "excel");
    EXPECT_EQ(jobs.calls[3].kind, "word");
}

TEST_F(PrintRunTest, FailedRowsDoNotStopTheRunAndAreReportedOnceAtTheEndUnderTheirReason)
{
    // 報告.doc in CP932
    const std::string japanese = codec::fromUtf8("報告.doc");
    host.setRows({row(japanese, "doc"), row("b.xls", "xls"), row("c.doc", "doc"), row("d.xls", "xls")},
                 {true, true, true, true});
    jobs.failures[japanese] = [] { throw Error("文書を開けません"); };
    jobs.failures["b.xls"] = [] { throw Error("文書を開けません"); };
    jobs.failures["c.doc"] = [] { throw std::runtime_error("bad"); };
    jobs.failures["d.xls"] = [] { throw 42; };
    run();

    EXPECT_EQ(jobs.files().size(), 4u);
    EXPECT_EQ(host.progress[0].second, "報告.doc");
    ASSERT_EQ(host.reports.size(), 1u);
    EXPECT_EQ(host.reports[0].second, "印刷エラー");
    EXPECT_EQ(host.reports[0].first,
              "次のファイルを印刷できませんでした。\n"
              "■ 文書を開けません\n　報告.doc\n　b.xls\n"
              "■ bad\n　c.doc\n"
              "■ 原因不明のエラーが発生しました。\n　d.xls");
    EXPECT_TRUE(host.enabledAtReport) << "the message must come after the window is usable again";
    EXPECT_TRUE(host.restored());
}

TEST_F(PrintRunTest, RowsWhoseOutcomeIsUnknownAreAskedAboutAgainBeforeTheRunEnds)
{
    host.setRows({row("printed.doc", "doc"), row("cancelled.doc", "doc"), row("silent.doc", "doc")},
                 {true, true, true});
    const auto unknown = [](Settlement::Outcome outcome, std::string text) {
        return [outcome, text] {
            throw OutcomeUnknown("ID が確認できません", [outcome, text](OutcomeUnknown::Clock::time_point) {
                return Settlement{outcome, text};
            });
        };
    };
    jobs.failures["printed.doc"] = unknown(Settlement::Outcome::Printed, "遅れて印刷されました");
    jobs.failures["cancelled.doc"] = unknown(Settlement::Outcome::Failed, "取り消しました");
    jobs.failures["silent.doc"] = unknown(Settlement::Outcome::Unknown, "");
    bool tied = false;
    leaveLooseEnd([&tied](OutcomeUnknown::Clock::time_point) { tied = true; });
    PrintRun printRun(host, jobs, SelectedRows);
    printRun.printFiles(PrintMode::Print);

    EXPECT_EQ(printRun.notes(), (std::vector<PrintFailure>{{"printed.doc", "遅れて印刷されました"}}));
    EXPECT_EQ(printRun.failures(), (std::vector<PrintFailure>{{"cancelled.doc", "取り消しました"}}));
    EXPECT_EQ(printRun.unknown(), (std::vector<PrintFailure>{{"silent.doc", "ID が確認できません"}}));
    EXPECT_TRUE(tied) << "what the print layer left for the run's end";
    std::vector<RowOutcome::Kind> kinds;
    for (const RowOutcome& outcome : printRun.outcomes())
        kinds.push_back(outcome.kind);
    EXPECT_EQ(kinds, (std::vector<RowOutcome::Kind>{RowOutcome::Kind::PrintedWithNote, RowOutcome::Kind::Failed,
                                                     RowOutcome::Kind::Unknown}))
        << "the rows show what the second asking found";
    ASSERT_EQ(host.reports.size(), 1u);
    EXPECT_NE(host.reports[0].first.find("次のファイルは印刷されたかどうか確認できません"), std::string::npos)
        << host.reports[0].first;
}

TEST_F(PrintRunTest, AbortDuringSecondRowStopsBeforeItsJob)
{
    host.setRows({row("a.doc", "doc"), row("b.doc", "doc"), row("c.doc", "doc")},
                 {true, true, true});
    jobs.failures["a.doc"] = [] { throw Error("missing"); };
    host.onEvents = [&](int r, int) {
        if (r == 1)
            host.pressAbort();
    };
    run();

    EXPECT_EQ(jobs.files(), (Names{"a.doc"}));
    EXPECT_EQ(host.progress.size(), 2u);
    EXPECT_TRUE(host.restored());
    ASSERT_EQ(host.reports.size(), 1u) << "rows that failed before the abort are still reported";
    EXPECT_EQ(host.reports[0].first, "次のファイルを印刷できませんでした。\n■ missing\n　a.doc\n\n"
                                     "中止したため、残りの 2 件は印刷していません。\nb.doc\nc.doc");
}

TEST_F(PrintRunTest, EveryRowSaysHowItEndedAndOnlyAFailureMakesTheReportAnError)
{
    host.setRows({row("a.doc", "doc"), row("b.doc", "doc"), row("c.doc", "doc"), row("d.xls", "xls"),
                  row("e.txt", "txt"), row("g.doc", "doc"), row("f.doc", "doc")},
                 {true, true, true, true, true, true, true});
    jobs.failures["b.doc"] = [] { throw Error("gone"); };
    jobs.failures["g.doc"] = [] { throw NothingToPrint("empty"); };
    jobs.notes["c.doc"] = "queue stopped";
    jobs.skipped.insert("d.xls");
    host.onEvents = [&](int r, int) {
        if (r == 6)
            host.pressAbort();
    };
    PrintRun run(host, jobs, SelectedRows);
    run.printFiles(PrintMode::Print);

    using Kind = RowOutcome::Kind;
    std::vector<std::tuple<int, Kind, std::string>> ended;
    for (const RowOutcome& outcome : run.outcomes())
        ended.emplace_back(outcome.row, outcome.kind, outcome.text);
    EXPECT_EQ(ended, (std::vector<std::tuple<int, Kind, std::string>>{
                         {0, Kind::Printed, ""},
                         {1, Kind::Failed, "gone"},
                         {2, Kind::PrintedWithNote, "queue stopped"},
                         {3, Kind::Skipped, "シートが選ばれていないため印刷しません"},
                         {4, Kind::Skipped, "Word・Excel のファイルではないため印刷しません"},
                         {5, Kind::Skipped, "empty"},
                         {6, Kind::NotReached, ""}}));
    std::vector<int> reprint;
    for (const RowOutcome& outcome : run.outcomes())
        if (wantsReprint(outcome.kind))
            reprint.push_back(outcome.row);
    EXPECT_EQ(reprint, (std::vector<int>{1, 6}));
    ASSERT_EQ(host.reports.size(), 1u);
    EXPECT_EQ(host.reports[0].second, "印刷エラー");
    EXPECT_TRUE(host.notices.empty());

    // A note and a stop alone are told without the error icon.
    jobs.failures.clear();
    host.reports.clear();
    run.printFiles(PrintMode::Print);
    EXPECT_TRUE(host.reports.empty());
    ASSERT_EQ(host.notices.size(), 1u);
    EXPECT_EQ(host.notices[0].second, "印刷結果");
    EXPECT_EQ(host.notices[0].first, "次のファイルは印刷しましたが、お知らせがあります。\n■ queue stopped\n　c.doc\n\n"
                                     "中止したため、残りの 1 件は印刷していません。\nf.doc");
}

TEST_F(PrintRunTest, ThePrintQuestionCountsTheChosenRowsThatCannotPrint)
{
    host.setRows({row("a.doc", "doc"), row("b.doc", "doc"), row("c.doc", "doc"), row("d.doc", "doc")},
                 {true, false, true, true});
    host.unprintable = {1, 2}; // b is not chosen
    host.answer = false;
    run();
    run(PrintMode::Preview);
    ASSERT_EQ(host.confirms.size(), 2u);
    EXPECT_EQ(host.confirms[0].first, "選択したファイルを印刷します。よろしいですか？\n\n"
                                      "選択した 3 件のうち 1 件は、このままでは印刷できません。\n"
                                      "（一覧で印の付いた行です。行にマウスを合わせると理由が表示されます）");
    EXPECT_EQ(host.confirms[1].first, "選択したファイルを印刷プレビューします。よろしいですか？")
        << "a preview uses neither printer nor copies";
}

TEST_F(PrintRunTest, APreviewOfSomeWordPagesSaysThatItShowsTheWholeDocumentAlsoAfterTheRun)
{
    PrintEntry pages = row("a.doc", "doc");
    pages.pagesOrSheets = "\"1-3\"";
    PrintEntry sheets = row("b.xls", "xls");
    sheets.pagesOrSheets = "\"1-3\"";
    host.setRows({pages, sheets}, {true, true});
    run(PrintMode::Preview);
    run(PrintMode::Print);
    ASSERT_EQ(host.progress.size(), 4u);
    EXPECT_EQ(host.progress[0].first, "ただいま印刷プレビュー中です。（1 / 2）\n"
                                      "プレビューには文書全体が表示されます（印刷されるのは 1-3 ページです）。");
    EXPECT_EQ(host.progress[1].first, "ただいま印刷プレビュー中です。（2 / 2）\nプレビューを閉じると次に進みます。");
    ASSERT_EQ(host.notices.size(), 1u) << "only the preview has a note";
    EXPECT_EQ(host.notices[0].first, "次のファイルのプレビューについて、お知らせがあります。\n"
                                     "■ プレビューには文書全体が表示されます（印刷されるのは 1-3 ページです）。\n　a.doc");
    EXPECT_EQ(host.progress[2].first, "ただいまファイルを印刷中です。しばらくお待ちください。（1 / 2）");
}

TEST_F(PrintRunTest, AbortClickedWhileAJobRunsStopsBeforeTheNextRow)
{
    // The click hides the dialog; showing it for the next row would clear
    // the request unless the run looked first.
    host.setRows({row("a.doc", "doc"), row("b.doc", "doc"), row("c.doc", "doc")},
                 {true, true, true});
    jobs.failures["a.doc"] = [&] { host.pressAbort(); };
    run();

    EXPECT_EQ(jobs.files(), (Names{"a.doc"}));
    EXPECT_EQ(host.progress.size(), 1u);
    EXPECT_TRUE(host.restored());
}

TEST_F(PrintRunTest, PrinterFailureLeavesBeforeAnythingElse)
{
    host.setRows({row("a.doc", "doc")}, {false});
    host.printerFailure = [] { return std::string("デフォルト プリンターが存在しません"); };
    try {
        run(PrintMode::Print, AllRows);
        FAIL() << "expected the printer error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "デフォルト プリンターが存在しません");
    }
    EXPECT_TRUE(host.confirms.empty());
    EXPECT_EQ(host.selected, (std::vector<bool>{false}));
    EXPECT_EQ(host.hideCalls, 0);
}

TEST_F(PrintRunTest, UnexpectedHostErrorStillRestoresTheWindowAndReports)
{
    host.setRows({row("a.doc", "doc"), row("b.doc", "doc")}, {true, true});
    jobs.failures["a.doc"] = [] { throw Error("missing"); };
    host.onEntry = [](int r) {
        if (r == 1)
            throw std::runtime_error("list gone");
    };
    EXPECT_THROW(run(), std::runtime_error);
    EXPECT_TRUE(host.restored());
    EXPECT_EQ(host.reports.size(), 1u);
}

// What the offices of several lanes did, in the order they did it. Each job
// renders, waits for the events its file was told to wait for (so rows can
// be made to finish out of order), then hands its job over at its turn.
// A rendered job dropped unsent is "withdrawn", as a spool file is removed.
class OfficeLog {
public:
    std::map<std::string, Names> waits; // file -> events its rendering ends after
    std::set<std::string> failing;      // files whose rendering fails
    std::set<std::string> failingLater; // files whose job fails once rendered
    std::set<std::string> stallingLater; // files whose job stalls once rendered
    std::set<std::string> stallingRender; // files whose rendering stalls until given up
    // Files whose hand-over finds the print system silent until the deadline
    // cuts it short, then finds it received the job (true) or not (false).
    std::map<std::string, bool> silentPrintSystem;
    // Files whose hand-over waits for the event "stop <file>"; their job
    // can be taken back after.
    std::set<std::string> slowHandOver;

    void note(std::string event)
    {
        {
            std::lock_guard lock(mutex_);
            events_.push_back(std::move(event));
        }
        changed_.notify_all();
    }
    bool waitFor(const std::string& event)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] {
            return std::find(events_.begin(), events_.end(), event) != events_.end();
        });
    }
    Names events() const
    {
        std::lock_guard lock(mutex_);
        return events_;
    }
    // The files of the events that start with `what` ("submit "), in order.
    Names files(const std::string& what) const
    {
        Names found;
        for (const std::string& event : events())
            if (event.rfind(what, 0) == 0)
                found.push_back(event.substr(what.size()));
        return found;
    }
    // Position of an event; the end when it never happened.
    std::ptrdiff_t at(const std::string& event) const
    {
        const Names all = events();
        return std::find(all.begin(), all.end(), event) - all.begin();
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Names events_;
};

class LaneJobs : public PrintJobs {
public:
    explicit LaneJobs(OfficeLog& log) : log_(log) {}

    JobOutcome printExcel(const PrintEntry& entry, PrintMode) override
    {
        job(entry);
        return JobOutcome::Done;
    }
    void printWord(const PrintEntry& entry, PrintMode) override { job(entry); }
    jobnotes::JobCancel takeJobCancel() override { return std::exchange(cancel_, {}); }

private:
    void job(const PrintEntry& entry)
    {
        const std::string& file = entry.fileName;
        log_.note("render " + file);
        if (auto w = log_.waits.find(file); w != log_.waits.end())
            for (const std::string& event : w->second)
                if (!log_.waitFor(event))
                    throw Error("timed out waiting for " + event);
        if (log_.stallingRender.count(file)) {
            untilAbandoned();
            throw Error("given up");
        }
        if (log_.failing.count(file)) {
            log_.note("failed " + file);
            throw Error("cannot open");
        }
        log_.note("rendered " + file);
        struct Rendered {
            Rendered(OfficeLog& log, std::string file) : log(log), file(std::move(file)) {}
            OfficeLog& log;
            std::string file;
            bool sent = false;
            ~Rendered()
            {
                if (!sent)
                    log.note("withdrawn " + file);
            }
        };
        handOverInTurn([rendered = std::make_shared<Rendered>(log_, file)] {
            const auto silent = rendered->log.silentPrintSystem.find(rendered->file);
            if (silent != rendered->log.silentPrintSystem.end()) {
                const PrintSystemWait waiting;
                untilAbandoned();
                if (!silent->second)
                    throw Error("not received");
                jobnotes::report("received after all");
            }
            if (rendered->log.slowHandOver.count(rendered->file)) {
                rendered->log.note("handing over " + rendered->file);
                rendered->log.waitFor("stop " + rendered->file);
                jobnotes::reportCancel([file = rendered->file](OutcomeUnknown::Clock::time_point) {
                    return Settlement{Settlement::Outcome::Failed, "taken back " + file};
                });
            }
            rendered->sent = true;
            rendered->log.note("submit " + rendered->file);
        });
        // On the office's thread, as the real jobs take it.
        cancel_ = jobnotes::take().cancel;
        if (log_.failingLater.count(file))
            throw Error("cannot close");
        if (log_.stallingLater.count(file)) {
            untilAbandoned();
            throw Error("the office went away");
        }
    }

    static void untilAbandoned()
    {
        while (!currentWorkAbandoned())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    OfficeLog& log_;
    jobnotes::JobCancel cancel_;
};

// Blocks as BlockingWait does, running `during` first: what the user does
// while the run waits for a job.
class UserWhileWaiting final : public WorkWait {
public:
    std::function<void()> during;
    void waitFor(WorkItem& item, WorkClock::time_point until) override
    {
        if (during)
            during();
        item.waitUntil(std::min(until, WorkClock::now() + std::chrono::milliseconds(20)));
    }
};

class PrintLanesTest : public ::testing::Test {
protected:
    FakeHost host;
    OfficeLog log;
    LaneJobs firstJobs{log};
    AutomationWorker firstWorker{nullptr};
    UserWhileWaiting wait;

    std::unique_ptr<PrintLanes> lanes(int size, std::chrono::seconds deadline = std::chrono::seconds(30))
    {
        return std::make_unique<PrintLanes>(
            firstJobs, firstWorker, size,
            [this](int) { return PrintLane{nullptr, std::make_unique<LaneJobs>(log)}; }, wait, deadline);
    }
    // The run's outcomes: its failed rows and its printed rows' notes.
    std::pair<std::vector<PrintFailure>, std::vector<PrintFailure>> run(PrintLanes& jobs,
                                                                        PrintMode mode = PrintMode::Print)
    {
        PrintRun printRun(host, jobs, SelectedRows);
        printRun.printFiles(mode);
        return {printRun.failures(), printRun.notes()};
    }
    void rows(std::vector<PrintEntry> entries)
    {
        host.setRows(std::move(entries), {});
        host.selectAllRows();
    }
};

TEST_F(PrintLanesTest, RowsFinishingOutOfOrderStillHandTheirJobsOverInListOrder)
{
    rows({row("a.xls", "xls"), row("b.doc", "doc"), row("c.xlt", "xlt"), row("d.dot", "dot"),
          row("e.doc", "doc")});
    // The first three render in reverse order, d after e. With a and b both
    // waiting, c cannot go to a lane already there: a third one starts.
    log.waits["a.xls"] = {"rendered b.doc", "rendered c.xlt"};
    log.waits["b.doc"] = {"rendered c.xlt"};
    log.waits["d.dot"] = {"rendered e.doc"};
    const auto jobs = lanes(3);
    run(*jobs);

    EXPECT_EQ(log.files("submit "), (Names{"a.xls", "b.doc", "c.xlt", "d.dot", "e.doc"}));
    EXPECT_LT(log.at("rendered c.xlt"), log.at("submit a.xls")) << "rows did not render ahead";
    EXPECT_EQ(jobs->lanesStarted(), 3);
    ASSERT_EQ(host.progress.size(), 5u);
    EXPECT_EQ(host.progress[3].second, "d.dot") << "the row being handed over is on show";
    EXPECT_TRUE(host.reports.empty());
    EXPECT_TRUE(host.restored());
}

TEST_F(PrintLanesTest, FurtherLanesStartOnlyWhenASecondRowWaitsAndPreviewsUseOne)
{
    rows({row("a.doc", "doc")});
    const auto single = lanes(4);
    run(*single);
    EXPECT_EQ(single->lanesStarted(), 1);

    rows({row("a.doc", "doc"), row("b.doc", "doc"), row("c.doc", "doc")});
    const auto preview = lanes(4);
    run(*preview, PrintMode::Preview);
    EXPECT_EQ(preview->lanesStarted(), 1);
    EXPECT_EQ(log.files("submit "), (Names{"a.doc", "a.doc", "b.doc", "c.doc"}));
}

TEST_F(PrintLanesTest, AbortStopsBeforeTheNextHandOverAndDiscardsRowsRenderedAhead)
{
    // Three lanes hold six rows; the last two are reached only after a.
    rows({row("a.doc", "doc"), row("b.doc", "doc"), row("c.xls", "xls"), row("d.doc", "doc"),
          row("e.doc", "doc"), row("f.doc", "doc"), row("g.doc", "doc"), row("h.doc", "doc")});
    // a hands over only once b and c wait for their turn.
    log.waits["a.doc"] = {"rendered b.doc", "rendered c.xls"};
    host.onEvents = [&](int r, int) {
        if (r == 1)
            host.pressAbort();
    };
    const auto jobs = lanes(3);
    run(*jobs);

    EXPECT_EQ(log.files("submit "), (Names{"a.doc"}));
    // The lanes run side by side: which of them got there first is theirs.
    const auto sorted = [](Names names) {
        std::sort(names.begin(), names.end());
        return names;
    };
    Names renderedAhead = sorted(log.files("rendered "));
    renderedAhead.erase(renderedAhead.begin()); // a.doc
    EXPECT_EQ(sorted(log.files("withdrawn ")), renderedAhead);
    EXPECT_EQ(log.files("render ").size(), log.files("rendered ").size()) << "a row left half done";
    EXPECT_EQ(log.at("render g.doc"), log.at("never")) << "a row started after the stop";
    EXPECT_EQ(log.at("render h.doc"), log.at("never"));
    ASSERT_EQ(host.notices.size(), 1u) << "discarded rows are not failures";
    EXPECT_TRUE(host.notices[0].first.starts_with("中止したため、残りの "));
    EXPECT_TRUE(host.restored());
}

TEST_F(PrintLanesTest, FailuresOfRowsRunningAheadAreReportedInListOrderAndLaterRowsStillPrint)
{
    rows({row("a.doc", "doc"), row("b.xls", "xls"), row("c.doc", "doc"), row("d.doc", "doc"),
          row("e.doc", "doc")});
    log.failing = {"b.xls", "d.doc"};
    log.failingLater = {"e.doc"};
    // d fails before b, and both before a hands over.
    log.waits["b.xls"] = {"failed d.doc"};
    log.waits["a.doc"] = {"failed b.xls"};
    const auto jobs = lanes(4);
    const auto [failures, notes] = run(*jobs);

    EXPECT_EQ(log.files("submit "), (Names{"a.doc", "c.doc", "e.doc"}));
    EXPECT_EQ(failures, (std::vector<PrintFailure>{{"b.xls", "cannot open"}, {"d.doc", "cannot open"}}));
    EXPECT_EQ(notes, (std::vector<PrintFailure>{{"e.doc", jobnotes::failedBeforeHandOver("cannot close")}}))
        << "what was rendered still prints, once";
}

TEST_F(PrintLanesTest, RowsStartedAheadButNotBegunAtAStopAreNeverOpened)
{
    rows({row("a.doc", "doc"), row("b.doc", "doc"), row("c.doc", "doc"), row("d.doc", "doc")});
    // Both offices are busy when the stop comes (b, then c after a), so d
    // still waits for one; the stop frees them.
    log.stallingRender = {"b.doc", "c.doc"};
    host.onEvents = [&](int r, int) {
        if (r == 1 && log.waitFor("render c.doc"))
            host.pressAbort();
    };
    const auto jobs = lanes(2);
    run(*jobs);

    EXPECT_EQ(log.files("submit "), (Names{"a.doc"}));
    EXPECT_EQ(log.at("render d.doc"), log.at("never")) << "a row was opened after the stop";
}

TEST_F(PrintLanesTest, PastTheDeadlineARowIsPrintedExactlyWhenThePrintSystemHasItsJob)
{
    rows({row("a.doc", "doc"), row("b.doc", "doc"), row("c.doc", "doc"), row("d.doc", "doc")});
    log.stallingLater = {"a.doc"};           // its office stalls after rendering
    log.silentPrintSystem = {{"b.doc", true}, {"c.doc", false}};
    const auto jobs = lanes(2, std::chrono::seconds(1));
    const auto [failures, notes] = run(*jobs);

    EXPECT_EQ(log.files("submit "), (Names{"a.doc", "b.doc", "d.doc"}));
    EXPECT_EQ(failures, (std::vector<PrintFailure>{{"c.doc", "not received"}}));
    EXPECT_EQ(notes, (std::vector<PrintFailure>{
                         {"a.doc", jobnotes::failedBeforeHandOver(DeadlineExceeded(std::chrono::seconds(1)).what())},
                         {"b.doc", "received after all"}}));
}

TEST_F(PrintLanesTest, AStopGivesUpTheRowInHandUntilItsJobLeavesAndThenTakesTheJobBackOnlyWhenAsked)
{
    struct Case {
        int lanes;
        bool stallsInRender; // else its hand-over is under way at the stop
        bool cancelJob;
        bool submitted;
        RowOutcome::Kind first;
    };
    const Case cases[] = {
        {1, true, false, false, RowOutcome::Kind::NotReached},
        {2, true, true, false, RowOutcome::Kind::NotReached},
        {1, false, false, true, RowOutcome::Kind::Printed},
        {2, false, false, true, RowOutcome::Kind::Printed},
        {1, false, true, true, RowOutcome::Kind::NotReached},
        {2, false, true, true, RowOutcome::Kind::NotReached},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.lanes << " lanes, stalls in render " << c.stallsInRender
                                          << ", cancel " << c.cancelJob);
        // Names of their own: the log is shared by the cases.
        const std::string a = "a" + std::to_string(n) + ".doc";
        const std::string b = "b" + std::to_string(n++) + ".doc";
        host = FakeHost();
        rows({row(a, "doc"), row(b, "doc")});
        host.cancelJob = c.cancelJob;
        (c.stallsInRender ? log.stallingRender : log.slowHandOver).insert(a);
        const auto jobs = lanes(c.lanes);
        bool stopped = false;
        wait.during = [&] {
            if (stopped || log.at((c.stallsInRender ? "render " : "handing over ") + a) == log.at("never"))
                return;
            stopped = true;
            host.pressAbort();
            jobs->stopRun();
            log.note("stop " + a);
        };
        const auto started = WorkClock::now();
        PrintRun printRun(host, *jobs, SelectedRows);
        printRun.printFiles(PrintMode::Print);
        wait.during = nullptr;

        EXPECT_LT(WorkClock::now() - started, std::chrono::seconds(10)) << "the stop waited for the deadline";
        const Names submitted = log.files("submit ");
        EXPECT_EQ(std::count(submitted.begin(), submitted.end(), a), c.submitted ? 1 : 0);
        EXPECT_EQ(std::count(submitted.begin(), submitted.end(), b), 0);
        ASSERT_EQ(printRun.outcomes().size(), 2u);
        EXPECT_EQ(printRun.outcomes()[0].kind, c.first);
        EXPECT_EQ(printRun.outcomes()[1].kind, RowOutcome::Kind::NotReached);
        EXPECT_TRUE(printRun.failures().empty());
        ASSERT_EQ(host.notices.size(), 1u);
        const std::string& told = host.notices[0].first;
        EXPECT_EQ(told.find("taken back " + a) != std::string::npos, c.submitted && c.cancelJob) << told;
        EXPECT_NE(told.find(b), std::string::npos) << told;
    }
}

} // namespace
