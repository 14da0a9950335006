#pragma once

#include "OutcomeUnknown.h"
#include "PrintEntry.h"
#include "PrintJobs.h"
#include "RowOutcome.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pravik {

// Everything the print run needs from the main window, its list view, the
// progress dialog and the printer service. Texts handed to the host are
// UTF-8 display text. Rows are list positions; -1 means "no row".
class PrintRunHost {
public:
    virtual ~PrintRunHost() = default;

    // The application's current printer (CP932). Throws pravik::Error when
    // there is none or the printers cannot be listed.
    virtual std::string currentPrinter() = 0;

    virtual void selectAllRows() = 0;
    virtual int selectedCount() const = 0;
    virtual int firstSelectedRow() const = 0;
    // The next selected row below `row` as the list view finds it.
    virtual int nextSelectedBelow(int row) const = 0;
    virtual PrintEntry entry(int row) const = 0;
    // Why the row cannot be printed as it stands (UTF-8); empty when nothing
    // is known against it.
    virtual std::string printProblem(int /*row*/) const { return {}; }

    // Modal OK/Cancel question with the question icon; true only for OK.
    virtual bool confirm(const std::string& text, const std::string& caption) = 0;
    // Modal message with the error icon.
    virtual void reportFailures(const std::string& text, const std::string& caption) = 0;
    // Modal message with the information icon: the report of a run in which
    // no row failed. Hosts that show no icons may leave it as it is.
    virtual void reportNotice(const std::string& text, const std::string& caption)
    {
        reportFailures(text, caption);
    }

    virtual void showProgress(const std::string& message, const std::string& fileLine) = 0;
    virtual void hideProgress() = 0;
    virtual void processPendingEvents() = 0;
    // 1 once the progress dialog's Abort button was pressed.
    virtual int abortFlag() const = 0;
    // True when a stop is to cancel, too, the job that the row in hand has
    // already given the print system (the progress dialog's choice).
    virtual bool cancelsJobInHand() const { return false; }

    virtual void setMainWindowEnabled(bool enabled) = 0;
    virtual void setBusyCursor(bool busy) = 0;
};

// A row whose job raised an error. Both texts are UTF-8.
struct PrintFailure {
    std::string fileName;
    std::string errorText;

    bool operator==(const PrintFailure&) const = default;
};

// Prints or previews the selected rows one file at a time. A row whose job
// fails does not stop the run; the failures are listed to the user in one
// message when the run ends, so nobody is left believing a file printed.
class PrintRun {
public:
    PrintRun(PrintRunHost& host, PrintJobs& jobs, int printTarget);

    // The only error that leaves is the current printer's, before anything
    // else happens. Anything unexpected from the host also leaves, after the
    // window was restored.
    void printFiles(PrintMode mode);

    // The failed rows of the last run, in the order they ran.
    const std::vector<PrintFailure>& failures() const { return failures_; }
    // Printed rows with a note from their job (the text in errorText).
    const std::vector<PrintFailure>& notes() const { return notes_; }
    // How each row the run was to print ended, in list order.
    const std::vector<RowOutcome>& outcomes() const { return outcomes_; }
    // Rows whose job the print system may or may not hold: it did not
    // answer, not even when asked again before the run ended.
    const std::vector<PrintFailure>& unknown() const { return unknown_; }

    // The one message shown after a run in which rows failed, printed with
    // a note or were left by a stop.
    static std::string failureMessage(PrintMode mode, const std::vector<PrintFailure>& failures,
                                      const std::vector<PrintFailure>& notes = {},
                                      const std::vector<std::string>& rowsLeftByStop = {},
                                      const std::vector<PrintFailure>& unknown = {},
                                      const std::vector<PrintFailure>& cancelled = {});
    static constexpr std::string_view failureCaption = "印刷エラー";
    // The caption when no row failed.
    static std::string_view noticeCaption(PrintMode mode)
    {
        return mode == PrintMode::Preview ? "プレビュー結果" : "印刷結果";
    }

private:
    enum class RowEnd { Next, Stop };

    void runRows(PrintMode mode);
    void startAhead(const PrintEntry& entry, PrintMode mode);
    // Tells the jobs the rows that follow `row`.
    void expectAfter(int row, PrintMode mode, int total);
    RowEnd runJob(int row, const PrintEntry& entry, PrintMode mode);
    void stopBefore(int row);
    // The user stopped the run and wants the row's job, which the print
    // system has, taken back: the row then says how far it got.
    Settlement cancelJob(const jobnotes::JobCancel& cancel);
    // Runs `work` on a thread of its own while the window keeps repainting.
    void whileRepainting(const std::function<void()>& work);
    // Asks the print system once more about the rows whose outcome is
    // unknown, and takes away what the run left there that cannot print.
    void settleUnknownRows();
    void reportFailures(PrintMode mode);

    PrintRunHost& host_;
    PrintJobs& jobs_;
    int printTarget_;
    std::vector<PrintFailure> failures_;
    std::vector<PrintFailure> notes_;
    std::vector<RowOutcome> outcomes_;
    // The rows a stop kept from running (UTF-8 file names).
    std::vector<std::string> rowsLeftByStop_;
    std::vector<PrintFailure> unknown_;
    // Rows whose job a stop took back from the print system.
    std::vector<PrintFailure> cancelled_;
    // By row, as unknown_: the job to ask about, and the row's outcome.
    struct UnsettledRow {
        OutcomeUnknown job;
        size_t outcome;
    };
    std::vector<UnsettledRow> unsettled_;
};

} // namespace pravik
