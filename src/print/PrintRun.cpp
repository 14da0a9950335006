#include "PrintRun.h"

#include "DocumentKind.h"
#include "Error.h"
#include "NothingToPrint.h"

#include "Settings.h"
#include "SheetListText.h"
#include "SubmissionGate.h"
#include "TextCodec.h"

#include <exception>
#include <future>
#include <optional>

namespace pravik {

namespace {

struct ModeTexts {
    const char* confirmText;
    const char* confirmCaption;
    const char* progressMessage;
    const char* failureHeader;
};

const ModeTexts& textsFor(PrintMode mode)
{
    static const ModeTexts print{
        "選択したファイルを印刷します。よろしいですか？",
        "印刷確認",
        "ただいまファイルを印刷中です。しばらくお待ちください。",
        "次のファイルを印刷できませんでした。",
    };
    static const ModeTexts preview{
        "選択したファイルを印刷プレビューします。よろしいですか？",
        "プレビュー確認",
        "ただいま印刷プレビュー中です。",
        "次のファイルを印刷プレビューできませんでした。",
    };
    return mode == PrintMode::Preview ? preview : print;
}

// Said in the print question: a run that will fail rows should not be a
// surprise at its end. Previews skip it, as they use no printer or copies.
std::string unprintableNote(const PrintRunHost& host, PrintMode mode)
{
    if (mode != PrintMode::Print)
        return {};
    // Counted, not searched past the last chosen row: that search walks the
    // rest of a long list.
    const int chosen = host.selectedCount();
    int unprintable = 0;
    for (int seen = 1, row = host.firstSelectedRow(); row >= 0; ++seen, row = host.nextSelectedBelow(row)) {
        if (!host.printProblem(row).empty())
            ++unprintable;
        if (seen == chosen)
            break;
    }
    if (unprintable == 0)
        return {};
    return "\n\n選択した " + std::to_string(chosen) + " 件のうち " + std::to_string(unprintable)
        + " 件は、このままでは印刷できません。\n（一覧で印の付いた行です。行にマウスを合わせると理由が表示されます）";
}

// The offices preview a whole document: a Word row that prints some pages
// only says so, so that the preview is not taken for what will print.
std::string wordPagesNote(const PrintEntry& entry, PrintMode mode)
{
    if (mode != PrintMode::Preview || entry.pagesOrSheets.empty()
        || documentKindOfExtension(entry.extension) != DocumentKind::Word)
        return {};
    return "プレビューには文書全体が表示されます（印刷されるのは " + codec::toDisplay(pageRangesOf(entry.pagesOrSheets))
        + " ページです）。";
}

// Only Excel's preview holds the run until it is closed; Word's stays open
// beside the run as it goes on.
std::string previewNote(const PrintEntry& entry, PrintMode mode)
{
    if (mode != PrintMode::Preview)
        return {};
    if (documentKindOfExtension(entry.extension) == DocumentKind::Excel)
        return "\nプレビューを閉じると次に進みます。";
    const std::string pages = wordPagesNote(entry, mode);
    return pages.empty() ? std::string() : "\n" + pages;
}

// Puts the main window back whichever way the run ends, an unexpected
// exception included: a window left disabled would lock the user out.
class RunEnd {
public:
    explicit RunEnd(PrintRunHost& host) : host_(host) {}
    RunEnd(const RunEnd&) = delete;
    RunEnd& operator=(const RunEnd&) = delete;

    ~RunEnd()
    {
        if (done_)
            return;
        try {
            finish();
        } catch (...) {
            // Already unwinding from the error that matters.
        }
    }

    void finish()
    {
        done_ = true;
        host_.hideProgress();
        host_.setMainWindowEnabled(true);
        host_.setBusyCursor(false);
    }

private:
    PrintRunHost& host_;
    bool done_ = false;
};

// Discards the rows started ahead however the run ends.
class AheadEnd {
public:
    explicit AheadEnd(PrintJobs& jobs) : jobs_(jobs) {}
    AheadEnd(const AheadEnd&) = delete;
    AheadEnd& operator=(const AheadEnd&) = delete;
    ~AheadEnd()
    {
        try {
            jobs_.discardAhead();
        } catch (...) {
            // Discarded rows have nothing left to say.
        }
    }

private:
    PrintJobs& jobs_;
};

// How long the print system is asked again, at the end of a run, about the
// jobs whose outcome is unknown: long enough for a print system that was
// only slow, short enough that nobody waits on one that hangs.
constexpr auto kSettleTime = std::chrono::seconds(5);

// How many rows after the one in hand the jobs are told: as many servers as
// may be starting while it prints.
constexpr size_t kRowsExpected = 2;

} // namespace

PrintRun::PrintRun(PrintRunHost& host, PrintJobs& jobs, int printTarget)
    : host_(host), jobs_(jobs), printTarget_(printTarget)
{
}

void PrintRun::printFiles(PrintMode mode)
{
    failures_.clear();
    notes_.clear();
    outcomes_.clear();
    rowsLeftByStop_.clear();
    unknown_.clear();
    unsettled_.clear();
    cancelled_.clear();
    // Asked before anything is shown: without a printer the run does not
    // start (it throws).
    host_.currentPrinter();

    RunEnd end(host_);
    try {
        runRows(mode);
    } catch (...) {
        try {
            settleUnknownRows();
        } catch (...) {
            // The error that ended the run is the one to show.
        }
        end.finish();
        try {
            reportFailures(mode);
        } catch (...) {
            // The error that ended the run is the one to show.
        }
        throw;
    }
    settleUnknownRows();
    end.finish();
    reportFailures(mode);
}

void PrintRun::runRows(PrintMode mode)
{
    const ModeTexts& texts = textsFor(mode);

    // The rows stay selected afterwards, also when the user cancels.
    if (printTarget_ == AllRows)
        host_.selectAllRows();
    if (host_.selectedCount() == 0)
        return;
    if (!host_.confirm(texts.confirmText + unprintableNote(host_, mode), texts.confirmCaption))
        return;

    // Rows started ahead that the run does not reach are never printed.
    const AheadEnd aheadEnd(jobs_);
    int handedAhead = -1; // the last row offered to the jobs ahead of time
    const int total = host_.selectedCount();
    int position = 0; // of the row in hand, from 1
    for (int row = host_.firstSelectedRow(); row >= 0; row = host_.nextSelectedBelow(row)) {
        host_.setBusyCursor(true);
        host_.setMainWindowEnabled(false);

        const PrintEntry entry = host_.entry(row);
        ++position;
        host_.showProgress(std::string(texts.progressMessage) + "（" + std::to_string(position) + " / "
                               + std::to_string(total) + "）" + previewNote(entry, mode),
                           codec::toDisplay(entry.fileName));
        // Twice, so that a click on Abort queued behind the repaint is seen.
        host_.processPendingEvents();
        host_.processPendingEvents();
        // A stop request is honoured between rows only: a job is never cut short.
        if (host_.abortFlag() == 1) {
            stopBefore(row);
            return;
        }

        // A preview waits for the user, so only printing runs ahead.
        if (mode == PrintMode::Print && jobs_.roomAhead() > 0) {
            if (handedAhead < row) {
                handedAhead = row;
                startAhead(entry, mode);
            }
            while (jobs_.roomAhead() > 0) {
                const int next = host_.nextSelectedBelow(handedAhead);
                if (next < 0)
                    break;
                handedAhead = next;
                startAhead(host_.entry(next), mode);
            }
        }

        expectAfter(row, mode, total);
        if (runJob(row, entry, mode) == RowEnd::Stop)
            return;
        // A click on Abort while the job ran: showing the dialog again for
        // the next row would clear it before it was seen.
        if (host_.abortFlag() == 1) {
            stopBefore(host_.nextSelectedBelow(row));
            return;
        }
    }
}

void PrintRun::startAhead(const PrintEntry& entry, PrintMode mode)
{
    const DocumentKind kind = documentKindOfExtension(entry.extension);
    if (kind == DocumentKind::Excel || kind == DocumentKind::Word)
        jobs_.startAhead(entry, mode);
}

void PrintRun::expectAfter(int row, PrintMode mode, int total)
{
    std::vector<PrintEntry> next;
    // A preview waits for the user, who may stop after it.
    if (mode == PrintMode::Print && total > 1) {
        try {
            for (int below = host_.nextSelectedBelow(row); below >= 0 && next.size() < kRowsExpected;
                 below = host_.nextSelectedBelow(below))
                next.push_back(host_.entry(below));
        } catch (...) {
            // Only a hint: the row in hand runs, and the run meets the error
            // when it reaches that row.
        }
    }
    jobs_.expectAfter(next);
}

PrintRun::RowEnd PrintRun::runJob(int row, const PrintEntry& entry, PrintMode mode)
{
    const DocumentKind kind = documentKindOfExtension(entry.extension);
    const bool excel = kind == DocumentKind::Excel;
    const bool word = kind == DocumentKind::Word;
    if (!excel && !word) {
        // Admitted by the settings, but nothing prints it.
        outcomes_.push_back({row, RowOutcome::Kind::Skipped, "Word・Excel のファイルではないため印刷しません"});
        return RowEnd::Next;
    }

    try {
        if (excel) {
            if (jobs_.printExcel(entry, mode) == JobOutcome::Skipped) {
                outcomes_.push_back({row, RowOutcome::Kind::Skipped, "シートが選ばれていないため印刷しません"});
                return RowEnd::Next;
            }
        } else {
            jobs_.printWord(entry, mode);
        }
    } catch (const SubmissionWithdrawn&) {
        // A stop gave it up before its job left: it ends as the rows after it.
        stopBefore(row);
        return RowEnd::Stop;
    } catch (const NothingToPrint& nothing) {
        outcomes_.push_back({row, RowOutcome::Kind::Skipped, nothing.what()});
        return RowEnd::Next;
    } catch (const OutcomeUnknown& unknown) {
        unknown_.push_back({codec::toDisplay(entry.fileName), unknown.what()});
        outcomes_.push_back({row, RowOutcome::Kind::Unknown, unknown.what()});
        unsettled_.push_back({unknown, outcomes_.size() - 1});
        return RowEnd::Next;
    } catch (const std::exception& e) {
        failures_.push_back({codec::toDisplay(entry.fileName), e.what()});
        outcomes_.push_back({row, RowOutcome::Kind::Failed, e.what()});
        return RowEnd::Next;
    } catch (...) {
        failures_.push_back({codec::toDisplay(entry.fileName), kUnknownErrorText});
        outcomes_.push_back({row, RowOutcome::Kind::Failed, kUnknownErrorText});
        return RowEnd::Next;
    }
    // Word's window soon covers the progress window: the note comes again
    // in the report at the end.
    if (std::string pages = wordPagesNote(entry, mode); !pages.empty())
        notes_.push_back({codec::toDisplay(entry.fileName), std::move(pages)});
    RowOutcome printed{row, RowOutcome::Kind::Printed, {}};
    std::vector<std::string> notes = jobs_.takeNotes();
    if (jobnotes::JobCancel cancel = jobs_.takeJobCancel(); cancel && host_.abortFlag() == 1
        && host_.cancelsJobInHand()) {
        Settlement settled = cancelJob(std::move(cancel));
        if (settled.outcome == Settlement::Outcome::Failed) {
            // Stopped as the rows after it; the stop is seen after this row.
            cancelled_.push_back({codec::toDisplay(entry.fileName), settled.text});
            outcomes_.push_back({row, RowOutcome::Kind::NotReached, std::move(settled.text)});
            return RowEnd::Next;
        }
        if (!settled.text.empty())
            notes.push_back(std::move(settled.text));
    }
    for (std::string& note : notes) {
        printed.kind = RowOutcome::Kind::PrintedWithNote;
        printed.text += (printed.text.empty() ? "" : "\n") + note;
        notes_.push_back({codec::toDisplay(entry.fileName), std::move(note)});
    }
    outcomes_.push_back(std::move(printed));

    // A single selected row needs no search for the next one.
    return host_.selectedCount() == 1 ? RowEnd::Stop : RowEnd::Next;
}

void PrintRun::stopBefore(int row)
{
    for (; row >= 0; row = host_.nextSelectedBelow(row)) {
        outcomes_.push_back({row, RowOutcome::Kind::NotReached, {}});
        rowsLeftByStop_.push_back(codec::toDisplay(host_.entry(row).fileName));
    }
}

Settlement PrintRun::cancelJob(const jobnotes::JobCancel& cancel)
{
    Settlement settled;
    whileRepainting([&] {
        try {
            settled = cancel(OutcomeUnknown::Clock::now() + kSettleTime);
        } catch (...) {
            // Not taken back: the row says it printed, which it may well do.
        }
    });
    return settled;
}

void PrintRun::whileRepainting(const std::function<void()>& work)
{
    std::future<void> working = std::async(std::launch::async, work);
    while (working.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
        host_.processPendingEvents();
    working.get();
}

void PrintRun::settleUnknownRows()
{
    const OutcomeUnknown::Clock::time_point until = OutcomeUnknown::Clock::now() + kSettleTime;
    whileRepainting([this, until] {
        try {
            for (const UnsettledRow& row : unsettled_)
                row.job.settle(until);
            tieLooseEnds(until);
        } catch (...) {
            // A row nobody could settle stays unknown, which is the truth.
        }
    });

    std::vector<PrintFailure> stillUnknown;
    for (size_t i = 0; i < unsettled_.size(); ++i) {
        Settlement settled = unsettled_[i].job.settled();
        RowOutcome& shown = outcomes_[unsettled_[i].outcome];
        shown.text = settled.text;
        PrintFailure row{unknown_[i].fileName, std::move(settled.text)};
        switch (settled.outcome) {
        case Settlement::Outcome::Printed:
            shown.kind = RowOutcome::Kind::PrintedWithNote;
            notes_.push_back(std::move(row));
            break;
        case Settlement::Outcome::Failed:
            shown.kind = RowOutcome::Kind::Failed;
            failures_.push_back(std::move(row));
            break;
        case Settlement::Outcome::Unknown: stillUnknown.push_back(std::move(row)); break;
        }
    }
    unknown_ = std::move(stillUnknown);
    unsettled_.clear();
}

void PrintRun::reportFailures(PrintMode mode)
{
    if (failures_.empty() && notes_.empty() && unknown_.empty() && rowsLeftByStop_.empty() && cancelled_.empty())
        return;
    const std::string text = failureMessage(mode, failures_, notes_, rowsLeftByStop_, unknown_, cancelled_);
    // Rows printed with a note, and rows a stop left, are no error; a row
    // that may or may not have printed wants the same attention as one that
    // failed.
    if (failures_.empty() && unknown_.empty())
        host_.reportNotice(text, std::string(noticeCaption(mode)));
    else
        host_.reportFailures(text, std::string(failureCaption));
}

std::string PrintRun::failureMessage(PrintMode mode, const std::vector<PrintFailure>& failures,
                                     const std::vector<PrintFailure>& notes,
                                     const std::vector<std::string>& rowsLeftByStop,
                                     const std::vector<PrintFailure>& unknown,
                                     const std::vector<PrintFailure>& cancelled)
{
    // Each reason once, in the order met, with its files below it: eighteen
    // rows that failed alike make one paragraph, not eighteen.
    const auto list = [](std::string& text, const std::vector<PrintFailure>& rows) {
        std::vector<bool> listed(rows.size());
        for (size_t first = 0; first < rows.size(); ++first) {
            if (listed[first])
                continue;
            text += "\n■ " + rows[first].errorText;
            for (size_t same = first; same < rows.size(); ++same) {
                if (!listed[same] && rows[same].errorText == rows[first].errorText) {
                    listed[same] = true;
                    text += "\n　" + rows[same].fileName;
                }
            }
        }
    };
    std::string text;
    if (!failures.empty()) {
        text = textsFor(mode).failureHeader;
        list(text, failures);
    }
    if (!unknown.empty()) {
        if (!text.empty())
            text += "\n\n";
        text += "次のファイルは印刷されたかどうか確認できません。もう一度印刷する前に、プリンターの待ち行列と"
                "出てきた用紙で確認してください。";
        list(text, unknown);
    }
    if (!notes.empty()) {
        if (!text.empty())
            text += "\n\n";
        text += mode == PrintMode::Preview ? "次のファイルのプレビューについて、お知らせがあります。"
                                           : "次のファイルは印刷しましたが、お知らせがあります。";
        list(text, notes);
    }
    if (!cancelled.empty()) {
        if (!text.empty())
            text += "\n\n";
        text += "中止したため、次のファイルの印刷ジョブを取り消しました。";
        list(text, cancelled);
    }
    if (!rowsLeftByStop.empty()) {
        if (!text.empty())
            text += "\n\n";
        text += "中止したため、残りの " + std::to_string(rowsLeftByStop.size()) + " 件は"
            + (mode == PrintMode::Preview ? "プレビューしていません。" : "印刷していません。");
        // Named, so that the user knows what to print again; a long list only
        // in part, as the message must fit the screen.
        constexpr size_t kNamedAtMost = 10;
        for (size_t i = 0; i < rowsLeftByStop.size() && i < kNamedAtMost; ++i)
            text += "\n" + rowsLeftByStop[i];
        if (rowsLeftByStop.size() > kNamedAtMost)
            text += "\n（ほか " + std::to_string(rowsLeftByStop.size() - kNamedAtMost) + " 件）";
    }
    return text;
}

} // namespace pravik
