// The main window's row marks: the installed printers the rows are checked
// against, the outcomes of the last run, and the command that selects the
// rows to print again.
#include "UMain.h"

#include "PrintListModel.h"

#include <QAbstractItemView>
#include <QEvent>

namespace pravik {

namespace {

// Switching windows back and forth must not ask the print system each time.
constexpr qint64 kActivationRefreshMs = 5000;

} // namespace

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
