// The main window's row marks: the installed printers the rows are checked
// against, the outcomes of the last run, and the command that selects the
// rows to print again.
#include "UMain.h"

#include "Dialogs.h"
#include "PrintListModel.h"
#include "StopRequests.h"

#include <QAbstractItemView>
#include <QEvent>

namespace pravik {

namespace {

// Switching windows back and forth must not ask the print system each time.
constexpr qint64 kActivationRefreshMs = 5000;

// A run shorter than this is seen to end; a longer one may have been left
// to run while the user did other things.
constexpr std::chrono::seconds kAnnouncedRunLength{5};

} // namespace

void TFmMain::tellFinishedRun(const std::vector<RowOutcome>& outcomes, std::chrono::milliseconds took)
{
    int printed = 0;
    bool reported = false; // the run's report has spoken already
    for (const RowOutcome& outcome : outcomes) {
        if (outcome.kind == RowOutcome::Kind::Printed || outcome.kind == RowOutcome::Kind::PrintedWithNote)
            ++printed;
        if (outcome.kind != RowOutcome::Kind::Printed && outcome.kind != RowOutcome::Kind::Skipped)
            reported = true;
    }
    if (printed == 0)
        return;
    const QString text = QStringLiteral("%1 件のファイルを印刷しました").arg(printed);
    tellInStatusBar(text);
    if (reported || took < kAnnouncedRunLength || !settings_.announceFinishedRuns || stopRequest() != 0)
        return;
    if (dialogs_.showFinishedRun(this, text + QStringLiteral("。"), QStringLiteral("印刷完了"))) {
        settings_.announceFinishedRuns = false;
        guarded([this] { saveAnnounceFinishedRuns(iniPath(), false); });
    }
}

void TFmMain::refreshInstalledPrinters()
{
    if (!services_.printerNames || !model_)
        return;
    std::vector<std::string> names;
    try {
        names = services_.printerNames();
    } catch (const std::exception&) {
        // Unknown for now: no row is marked for its printer.
    }
    model_->setInstalledPrinters(std::move(names));
}

void TFmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // A printer installed or removed meanwhile shows when the user comes back.
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || officeWorkRunning_)
        return;
    if (printersFetched_.isValid() && printersFetched_.elapsed() < kActivationRefreshMs)
        return;
    printersFetched_.start();
    refreshInstalledPrinters();
}

void TFmMain::selectRowsToReprint()
{
    const std::vector<size_t> rows = model_->rowsToReprint();
    if (rows.empty()) {
        tellInStatusBar(QStringLiteral("前回の印刷で印刷できなかった行はありません"));
        return;
    }
    selectRows(rows);
    focusFirstSelected();
    currentView()->scrollTo(model_->index(static_cast<int>(rows.front()), 0));
}

} // namespace pravik
