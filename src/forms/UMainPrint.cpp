// The main window's print run: the run's questions answered by the window,
// its list view and the progress dialog.
#include "UMain.h"

#include "Dialogs.h"
#include "EventLoopWait.h"
#include "FlagScope.h"
#include "OfficeJobs.h"
#include "PrintListModel.h"
#include "PrintRun.h"
#include "StopRequests.h"
#include "SystemAutomation.h"
#include "SystemPrinters.h"
#include "UDialog.h"
#include "UEdit.h"
#include "PrintLanes.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QScreen>
#include <QTableView>
#include <QTimer>

#include <iostream>

namespace pravik {

namespace {

// While the run lasts, a stop request reaches the row in hand and the rows
// rendering ahead at once.
class RunStop {
public:
    RunStop(std::function<void()>& slot, PrintLanes& jobs) : slot_(slot)
    {
        slot_ = [&jobs] { jobs.stopRun(); };
    }
    ~RunStop() { slot_ = nullptr; }
    RunStop(const RunStop&) = delete;
    RunStop& operator=(const RunStop&) = delete;

private:
    std::function<void()>& slot_;
};

// Office work in hand: the offices count as idle from its end.
class OfficeWorkScope {
public:
    OfficeWorkScope(bool& running, QTimer& idle) : busy_(running), idle_(idle) {}
    ~OfficeWorkScope() { idle_.start(); }
    OfficeWorkScope(const OfficeWorkScope&) = delete;
    OfficeWorkScope& operator=(const OfficeWorkScope&) = delete;

private:
    FlagScope busy_;
    QTimer& idle_;
};

class MainWindowPrintHost : public PrintRunHost {
public:
    MainWindowPrintHost(TFmMain& window, PrintMode mode) : window_(window), mode_(mode) {}

    std::string currentPrinter() override { return window_.services().currentPrinter(); }

    void selectAllRows() override { window_.listView()->selectAll(); }

    int selectedCount() const override
    {
        // Counted from the selection's ranges: a long list must not be
        // walked once per printed row.
        int count = 0;
        for (const QItemSelectionRange& range : selection()->selection())
            count += range.bottom() - range.top() + 1;
        return count;
    }

    int firstSelectedRow() const override { return nextSelectedBelow(-1); }

    int nextSelectedBelow(int row) const override
    {
        const int rows = static_cast<int>(window_.printList().size());
        for (int candidate = row + 1; candidate < rows; ++candidate)
            if (selection()->isRowSelected(candidate, {}))
                return candidate;
        return -1;
    }

    PrintEntry entry(int row) const override { return window_.printList().at(static_cast<size_t>(row)); }
    std::string printProblem(int row) const override { return window_.listModel()->printProblem(row).toStdString(); }

    bool confirm(const std::string& text, const std::string& caption) override
    {
        window_.startOfficeAhead(mode_); // the user's reading time is free
        // The question points at the rows' marks: those of the last run
        // would hide a file or printer gone since.
        if (mode_ == PrintMode::Print)
            window_.listModel()->clearOutcomesOf(window_.selectedRows());
        const bool go = window_.dialogs().confirmOkCancel(&window_, QString::fromStdString(text),
                                                          QString::fromStdString(caption));
        answered_ = std::chrono::steady_clock::now();
        return go;
    }

    // How long the run took since the user said yes to it.
    std::chrono::milliseconds sinceAnswered() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - answered_);
    }

    void reportFailures(const std::string& text, const std::string& caption) override
    {
        if (!toLogAfterStopSignal(text, caption))
            window_.dialogs().showFailureReport(&window_, QString::fromStdString(text),
                                                QString::fromStdString(caption));
    }

    void reportNotice(const std::string& text, const std::string& caption) override
    {
        if (!toLogAfterStopSignal(text, caption))
            window_.dialogs().showReport(&window_, QString::fromStdString(text), QString::fromStdString(caption));
    }

    void showProgress(const std::string& message, const std::string& fileLine) override
    {
        if (TFmDialog* dialog = window_.progressDialog()) {
            const bool preview = mode_ == PrintMode::Preview;
            const bool appearing = !dialog->isVisible();
            dialog->setPreviewing(preview);
            dialog->setWindowTitle(preview ? QStringLiteral("印刷プレビュー中") : QStringLiteral("印刷中"));
            dialog->showProgress(QString::fromStdString(message), QString::fromStdString(fileLine));
            // The office's preview fills the middle of the screen: the
            // window's notes stand beside its page, not over it.
            if (appearing && preview)
                placeInCorner(*dialog);
            else if (appearing && dialog->screen())
                dialog->centreOn(dialog->screen()->size());
        }
    }

    void hideProgress() override
    {
        if (TFmDialog* dialog = window_.progressDialog())
            dialog->hideProgress();
    }

    void processPendingEvents() override { QCoreApplication::processEvents(); }
    int abortFlag() const override { return window_.abortFlag; }
    bool cancelsJobInHand() const override
    {
        const TFmDialog* dialog = window_.progressDialog();
        return dialog && dialog->cancelsJobInHand();
    }
    void setMainWindowEnabled(bool enabled) override
    {
        window_.setEnabled(enabled);
        // The editor is a window of its own; during a run the progress
        // dialog is the only one that takes input.
        if (TFmEdit* editor = window_.entryEditor())
            editor->setEnabled(enabled);
    }

    void setBusyCursor(bool busy) override
    {
        if (busy)
            window_.listView()->setCursor(Qt::WaitCursor);
        else
            window_.listView()->unsetCursor();
    }

private:
    QItemSelectionModel* selection() const { return window_.listView()->selectionModel(); }

    static void placeInCorner(QWidget& dialog)
    {
        const QScreen* screen = dialog.screen();
        if (!screen)
            return;
        const QRect area = screen->availableGeometry();
        const QSize outer = dialog.frameGeometry().size();
        constexpr int margin = 16;
        dialog.move(area.right() + 1 - outer.width() - margin, area.bottom() + 1 - outer.height() - margin);
    }

    // Ended by a signal, nobody may be there to click: the log has it.
    static bool toLogAfterStopSignal(const std::string& text, const std::string& caption)
    {
        if (stopRequest() == 0)
            return false;
        std::cerr << "pravik: " << caption << '\n' << text << std::endl;
        return true;
    }

    TFmMain& window_;
    PrintMode mode_;
    std::chrono::steady_clock::time_point answered_ = std::chrono::steady_clock::now();
};

} // namespace

MainServices MainServices::system()
{
    MainServices services{[] { return printers::currentPrinterName(); },
                          [] { return printers::printerNames(); }, makeSystemAutomationBackend()};
    services.laneAutomation = [](int lane) { return makeSystemAutomationBackend(lane); };
    services.printerChoices = [] { return printers::systemPrinters().printerChoices(); };
    return services;
}

void TFmMain::setProgressDialog(TFmDialog* dialog)
{
    progressDialog_ = dialog;
    // The row in hand is given up at the click, not after it has printed.
    connect(dialog, &TFmDialog::stopRequested, this, [this] {
        if (stopRun_)
            stopRun_();
    });
}

void TFmMain::btnPrtClick()
{
    PrintFiles(0);
}

void TFmMain::PrintFiles(int mode)
{
    if (list_.empty() || (settings_.printTarget != AllRows && selectedRows().empty())) {
        // A press that does nothing would look like a run that failed to start.
        dialogs_.showMessage(this,
                             list_.empty() ? QStringLiteral("リストに行がありません。「追加」でファイルを加えてください。")
                                           : QStringLiteral("印刷する行を選んでください。"),
                             mode == 1 ? QStringLiteral("印刷プレビュー") : QStringLiteral("印刷"));
        return;
    }
    guarded([this, mode] {
        takeEditorChanges(); // the run prints what the user sees
        refreshInstalledPrinters(); // the print question counts the rows that cannot print
        const OfficeWorkScope busy(officeWorkRunning_, *officeIdle_);
        MainWindowPrintHost host(*this, static_cast<PrintMode>(mode));
        AutomationPrintJobs direct(services_.automation, settings_);
        EventLoopWait wait;
        // The first office is the window's own; the others start when a
        // second row is waiting and end their threads with the run (their
        // offices keep running for the next one).
        const int lanes = services_.laneAutomation
                              ? printLaneCount(settings_.officeEngines, services_.automation.get())
                              : 1;
        PrintLanes jobs(
            direct, *worker_, lanes,
            [this](int lane) {
                std::shared_ptr<AutomationBackend> backend = services_.laneAutomation(lane);
                auto laneJobs = std::make_unique<AutomationPrintJobs>(backend, settings_);
                return PrintLane{std::move(backend), std::move(laneJobs)};
            },
            wait, officeDeadline(settings_.officeTimeout));
        const RunStop runStop(stopRun_, jobs);
        PrintRun run(host, jobs, settings_.printTarget);
        // The rows say how they ended however the run ends. A preview prints
        // nothing, and a run that never started leaves the last one's marks.
        const auto showOutcomes = [&] {
            if (mode == 0 && !run.outcomes().empty())
                model_->showOutcomes(run.outcomes());
        };
        try {
            run.printFiles(static_cast<PrintMode>(mode));
        } catch (...) {
            showOutcomes();
            throw;
        }
        showOutcomes();
        if (mode == 0)
            tellFinishedRun(run.outcomes(), host.sinceAnswered());
    });
}

void TFmMain::runOfficeWork(const std::function<void()>& work)
{
    const OfficeWorkScope busy(officeWorkRunning_, *officeIdle_);
    EventLoopWait wait;
    worker_->run(work, wait, officeDeadline(settings_.officeTimeout));
}

void TFmMain::startOfficeAhead(PrintMode mode)
{
    officeIdle_->start();
    worker_->post([backend = services_.automation, mode] { backend->startServerAhead(mode); });
}

void TFmMain::endIdleOffices()
{
    if (officeWorkRunning_) {
        officeIdle_->start();
        return;
    }
    worker_->post([backend = services_.automation] { backend->endIdleServers(); });
}

} // namespace pravik
