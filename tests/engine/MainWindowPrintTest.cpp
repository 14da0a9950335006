// The main window's print button driving the real office engine.
#include "Dialogs.h"
#include "EngineSession.h"
#include "OfficeLifetime.h"
#include "StopRequests.h"
#include "TempDir.h"
#include "UDialog.h"
#include "UMain.h"

#include <QCoreApplication>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <unistd.h>

namespace pravik::test {
namespace {

// Answers every question with yes and keeps what the window reports.
class YesDialogs : public Dialogs {
public:
    QStringList reports;

    bool askYesNo(QWidget*, const QString&, const QString&) override { return true; }
    bool confirmOkCancel(QWidget*, const QString&, const QString&) override { return true; }
    QString chooseOpenFile(QWidget*, const QString&, const QString&) override { return {}; }
    QString chooseSaveFile(QWidget*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QStringList chooseOpenFiles(QWidget*, const QString&) override { return {}; }
    void showError(QWidget*, const QString& text) override { reports << text; }
    void showWarning(QWidget*, const QString& text, const QString&) override { reports << text; }
    void showFailureReport(QWidget*, const QString& text, const QString&) override { reports << text; }
    void showMessage(QWidget*, const QString& text, const QString&) override { reports << text; }
};

TEST(MainWindowPrint, ThePrintButtonPrintsTheSelectedRows)
{
    TempDir dir;
    writeBytes(dir.path() / "main.ini",
               "[TITLE]\r\nAPP_NAME=Pravik\r\n[MAIN]\r\nCOLUMN=150,150,200,40,40,100,200\r\nSORT=1\r\n");
    const PdfQueue word("window_word"), excel("window_excel");
    YesDialogs dialogs;
    TFmMain window(dialogs, dir.path().string(), MainServices::system());
    TFmDialog progress(window.abortFlag);
    window.setProgressDialog(&progress);
    window.show();

    PrintEntry missing = row("pages.doc", "", "1", word.name());
    missing.filePath += ".gone";
    window.printList().replaceAll({row("pages.doc", "\"3\"", "2", word.name()),
                                   row("sheets.xls", "\"Q1, Sales\"", "1", excel.name()), missing});
    window.listView()->selectAll();
    window.findChild<QToolButton*>("btnPrt")->click();

    EXPECT_EQ(word.printedMarkers(), (std::vector<std::string>{"PAGE-MARK-3", "PAGE-MARK-3"}));
    EXPECT_EQ(excel.printedMarkers(), (std::vector<std::string>{"SHEET-MARK-Q1SALES"}));
    ASSERT_EQ(dialogs.reports.size(), 1);
    EXPECT_TRUE(dialogs.reports[0].contains(QStringLiteral("pages.doc.gone が見つかりません")))
        << dialogs.reports[0].toStdString();
    EXPECT_TRUE(window.isEnabled());
    office::shutdownEngines();
}

TEST(MainWindowPrint, AStopSignalDuringARunEndsItWithoutAReportToClick)
{
    TempDir dir;
    writeBytes(dir.path() / "main.ini",
               "[TITLE]\r\nAPP_NAME=Pravik\r\n[MAIN]\r\nCOLUMN=150,150,200,40,40,100,200\r\nSORT=1\r\n");
    const PdfQueue queue("window_stop");
    YesDialogs dialogs;
    TFmMain window(dialogs, dir.path().string(), MainServices::system());
    TFmDialog progress(window.abortFlag);
    window.setProgressDialog(&progress);
    window.show();
    window.printList().replaceAll({row("long.doc", "", "1", queue.name()), row("pages.doc", "\"1\"", "1", queue.name()),
                                   row("pages.doc", "\"2\"", "1", queue.name())});
    window.listView()->selectAll();

    // As the program does: a signal is only recorded, and the window looks.
    handleStopRequests(nullptr);
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, [&window] {
        if (stopRequest() != 0)
            window.endOnStopRequest();
    });
    stopWatch.start(100);
    QTimer::singleShot(500, [] { ::raise(SIGTERM); });
    window.findChild<QToolButton*>("btnPrt")->click();

    // The rows the stop left would have been reported in a box nobody clicks.
    EXPECT_TRUE(dialogs.reports.isEmpty()) << dialogs.reports.join("\n").toStdString();
    EXPECT_LT(queue.completedJobs(), 3);
    office::shutdownEngines();
}

// The office starts while the user reads the print question, serves the run
// and the next, and is ended once the window has left it idle.
TEST(MainWindowPrint, TheOfficeStartsDuringThePrintQuestionAndEndsWhenLeftIdle)
{
    TempDir dir;
    writeBytes(dir.path() / "main.ini",
               "[TITLE]\r\nAPP_NAME=Pravik\r\n[MAIN]\r\nCOLUMN=150,150,200,40,40,100,200\r\nENGINES=1\r\n");
    const PdfQueue queue("window_ahead");
    const int jobsBefore = queue.completedJobs();
    class ReadingDialogs : public YesDialogs {
    public:
        std::vector<size_t> officesWhileAsked;
        bool confirmOkCancel(QWidget*, const QString&, const QString&) override
        {
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (officeProcessesOf(::getpid()).empty() && std::chrono::steady_clock::now() < until)
                QCoreApplication::processEvents();
            officesWhileAsked.push_back(officeProcessesOf(::getpid()).size());
            return true;
        }
    } dialogs;
    auto window = std::make_unique<TFmMain>(dialogs, dir.path().string(), MainServices::system());
    TFmDialog progress(window->abortFlag);
    window->setProgressDialog(&progress);
    window->show();
    window->printList().replaceAll({row("pages.doc", "\"1\"", "1", queue.name())});
    window->listView()->selectAll();
    window->findChild<QToolButton*>("btnPrt")->click();
    const std::vector<pid_t> firstOffice = officeProcessesOf(::getpid());
    window->findChild<QToolButton*>("btnPrt")->click();

    ASSERT_EQ(dialogs.officesWhileAsked.size(), 2u);
    EXPECT_GT(dialogs.officesWhileAsked[0], 0u);
    EXPECT_EQ(officeProcessesOf(::getpid()), firstOffice); // kept for the next run
    EXPECT_EQ(queue.completedJobs() - jobsBefore, 2);
    EXPECT_TRUE(dialogs.reports.isEmpty()) << dialogs.reports.join("\n").toStdString();

    auto* idle = window->findChild<QTimer*>("officeIdle");
    ASSERT_NE(idle, nullptr);
    idle->start(0);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!officeProcessesOf(::getpid()).empty() && std::chrono::steady_clock::now() < until)
        QCoreApplication::processEvents();
    EXPECT_TRUE(officeProcessesOf(::getpid()).empty());
    window.reset(); // after the idle end's work
    office::shutdownEngines();
}

} // namespace
} // namespace pravik::test
