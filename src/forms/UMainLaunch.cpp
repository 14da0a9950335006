// The main window's launch commands: the selected rows' documents opened
// with their applications, with the progress dialog.
#include "UMain.h"

#include "Dialogs.h"
#include "FileLaunch.h"
#include "FlagScope.h"
#include "ShellOpen.h"
#include "UDialog.h"

#include <QCoreApplication>
#include <QListView>
#include <QTableView>

namespace pravik {

namespace {

class MainWindowLaunchHost : public LaunchHost {
public:
    explicit MainWindowLaunchHost(TFmMain& window) : window_(window) {}

    void showProgress(const std::string& message, const std::string& fileLine) override
    {
        if (TFmDialog* dialog = window_.progressDialog()) {
            dialog->setWindowTitle(QStringLiteral("起動中"));
            dialog->showProgress(QString::fromStdString(message), QString::fromStdString(fileLine));
        }
        message_ = QString::fromStdString(message);
    }
    void setProgressFileLine(const std::string& fileLine) override
    {
        if (TFmDialog* dialog = window_.progressDialog())
            dialog->showProgress(message_, QString::fromStdString(fileLine));
    }
    void focusProgress() override
    {
        if (TFmDialog* dialog = window_.progressDialog(); dialog && dialog->isVisible())
            dialog->activateWindow();
    }
    void hideProgress() override
    {
        if (TFmDialog* dialog = window_.progressDialog())
            dialog->hideProgress();
    }
    void processPendingEvents() override { QCoreApplication::processEvents(); }
    int abortFlag() const override { return window_.abortFlag; }
    void setMainWindowEnabled(bool enabled) override { window_.setEnabled(enabled); }
    void setBusyCursor(bool busy) override
    {
        QWidget* view = window_.currentView();
        if (busy)
            view->setCursor(Qt::WaitCursor);
        else
            view->unsetCursor();
    }
    std::string openDocument(const std::string& cp932Path) override
    {
        return window_.services().openDocument(cp932Path);
    }
    void reportFailures(const std::string& text, const std::string& caption) override
    {
        window_.dialogs().showFailureReport(&window_, QString::fromStdString(text),
                                            QString::fromStdString(caption));
    }

private:
    TFmMain& window_;
    QString message_;
};

} // namespace

std::string MainServices::openWithDesktop(const std::string& cp932Path)
{
    return shellOpenDocument(cp932Path);
}

void TFmMain::launchSelectedFiles()
{
    guarded([this] {
        // The rows are taken before the first file opens, so nothing the
        // event loop lets through in between changes which files open.
        std::vector<PrintEntry> rows;
        for (const size_t row : selectedRows())
            rows.push_back(list_.at(row));
        // The launch's loop is on the stack: the window must not close under it.
        const FlagScope busy(launchRunning_);
        MainWindowLaunchHost host(*this);
        launchFiles(host, rows);
    });
}

void TFmMain::launchFirstSelected()
{
    guarded([this] {
        const std::vector<size_t> rows = selectedRows();
        if (rows.empty())
            return;
        // A copy: the events run before the file opens may change the list.
        const PrintEntry row = list_.at(rows.front());
        const FlagScope busy(launchRunning_);
        MainWindowLaunchHost host(*this);
        launchFirstFile(host, row);
    });
}

void TFmMain::lstViewDblClick()
{
    launchFirstSelected();
}

} // namespace pravik
