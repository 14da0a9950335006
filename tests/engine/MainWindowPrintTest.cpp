// The main window's print button driving the real office engine.
#include "Dialogs.h"
#include "EngineSession.h"
#include "OfficeLifetime.h"
#include "StopRequests.h"
#include "TempDir.h"
#include "UDialog.h"
#include "UMain.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <optional>
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

// The main window over the system's office and printers, shown, with its
// progress dialog and `rows` selected, on a main.ini of its own.
struct PrintingWindow {
    TempDir dir;
    bool iniWritten;
    TFmMain window;
    TFmDialog progress;

    PrintingWindow(Dialogs& dialogs, std::vector<PrintEntry> rows, const std::string& mainSection = "SORT=1\r\n")
        : iniWritten(writeMainIni(dir, mainSection)), window(dialogs, dir.path().string(), MainServices::system()),
          progress(window.abortFlag)
    {
        window.setProgressDialog(&progress);
        window.show();
        window.printList().replaceAll(std::move(rows));
        window.listView()->selectAll();
    }
    void print() { window.findChild<QToolButton*>("btnPrt")->click(); }

private:
    static bool writeMainIni(const TempDir& dir, const std::string& mainSection)
    {
        writeBytes(dir.path() / "main.ini",
                   "[TITLE]\r\nAPP_NAME=Pravik\r\n[MAIN]\r\nCOLUMN=150,150,200,40,40,100,200\r\n" + mainSection);
        return true;
    }
};

// Passes events until `done` or the limit; true when done.
bool waitUntil(const std::function<bool()>& done, std::chrono::seconds limit)
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < until)
        QCoreApplication::processEvents();
    return done();
}

TEST(MainWindowPrint, ThePrintButtonPrintsTheSelectedRows)
{
    const PdfQueue word("window_word"), excel("window_excel");
    YesDialogs dialogs;
    PrintEntry missing = row("pages.doc", "", "1", word.name());
    missing.filePath += ".gone";
    PrintingWindow shown(dialogs, {row("pages.doc", "\"3\"", "2", word.name()),
                                   row("sheets.xls", "\"Q1, Sales\"", "1", excel.name()), missing});
    shown.print();

    EXPECT_EQ(word.printedMarkers(), (std::vector<std::string>{"PAGE-MARK-3", "PAGE-MARK-3"}));
    EXPECT_EQ(excel.printedMarkers(), (std::vector<std::string>{"SHEET-MARK-Q1SALES"}));
    ASSERT_EQ(dialogs.reports.size(), 1);
    EXPECT_TRUE(dialogs.reports[0].contains(QStringLiteral("pages.doc.gone が見つかりません")))
        << dialogs.reports[0].toStdString();
    EXPECT_TRUE(shown.window.isEnabled());
    office::shutdownEngines();
}

TEST(MainWindowPrint, AStopSignalDuringARunEndsItWithoutAReportToClick)
{
    const PdfQueue queue("window_stop");
    YesDialogs dialogs;
    PrintingWindow shown(dialogs, {row("long.doc", "", "1", queue.name()), row("pages.doc", "\"1\"", "1", queue.name()),
                                   row("pages.doc", "\"2\"", "1", queue.name())});
    TFmMain& window = shown.window;

    // As the program does: a signal is only recorded, and the window looks.
    handleStopRequests(nullptr);
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, [&window] {
        if (stopRequest() != 0)
            window.endOnStopRequest();
    });
    stopWatch.start(100);
    QTimer::singleShot(500, [] { ::raise(SIGTERM); });
    shown.print();

    // The rows the stop left would have been reported in a box nobody clicks.
    EXPECT_TRUE(dialogs.reports.isEmpty()) << dialogs.reports.join("\n").toStdString();
    EXPECT_LT(queue.completedJobs(), 3);
    office::shutdownEngines();
}

TEST(MainWindowPrint, AbortGivesUpAStalledDocumentAtOnceAndNothingOfItPrints)
{
    const PdfQueue queue("window_abort");
    YesDialogs dialogs;
    PrintingWindow shown(dialogs, {row("long.doc", "", "1", queue.name()), row("pages.doc", "\"1\"", "1", queue.name())});
    std::optional<std::chrono::steady_clock::time_point> clicked;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (clicked || !waitUntilRendering(::getpid()))
            return;
        // A stalled office, which only the deadline would end before.
        for (pid_t office : officeProcessesOf(::getpid()))
            ::kill(office, SIGSTOP);
        clicked = std::chrono::steady_clock::now();
        shown.progress.findChild<QPushButton*>("btnAbort")->click();
    });
    user.start(50);
    shown.print();

    ASSERT_TRUE(clicked);
    EXPECT_LT(std::chrono::steady_clock::now() - *clicked, std::chrono::seconds(10));
    EXPECT_TRUE(queue.printedMarkers().empty());
    ASSERT_EQ(dialogs.reports.size(), 1);
    EXPECT_TRUE(dialogs.reports[0].contains(QStringLiteral("中止したため、残りの 2 件"))) << dialogs.reports[0].toStdString();
    office::shutdownEngines();
}

// The office starts while the user reads the print question, serves the run
// and the next, and is ended once the window has left it idle.
TEST(MainWindowPrint, TheOfficeStartsDuringThePrintQuestionAndEndsWhenLeftIdle)
{
    const PdfQueue queue("window_ahead");
    const int jobsBefore = queue.completedJobs();
    const auto officeRuns = [] { return !officeProcessesOf(::getpid()).empty(); };
    class ReadingDialogs : public YesDialogs {
    public:
        std::function<bool()> officeRuns;
        std::vector<size_t> officesWhileAsked;
        bool confirmOkCancel(QWidget*, const QString&, const QString&) override
        {
            waitUntil(officeRuns, std::chrono::seconds(10));
            officesWhileAsked.push_back(officeProcessesOf(::getpid()).size());
            return true;
        }
    } dialogs;
    dialogs.officeRuns = officeRuns;
    std::optional<PrintingWindow> shown;
    shown.emplace(dialogs, std::vector<PrintEntry>{row("pages.doc", "\"1\"", "1", queue.name())}, "ENGINES=1\r\n");
    shown->print();
    const std::vector<pid_t> firstOffice = officeProcessesOf(::getpid());
    shown->print();

    ASSERT_EQ(dialogs.officesWhileAsked.size(), 2u);
    EXPECT_GT(dialogs.officesWhileAsked[0], 0u);
    EXPECT_EQ(officeProcessesOf(::getpid()), firstOffice); // kept for the next run
    EXPECT_EQ(queue.completedJobs() - jobsBefore, 2);
    EXPECT_TRUE(dialogs.reports.isEmpty()) << dialogs.reports.join("\n").toStdString();

    auto* idle = shown->window.findChild<QTimer*>("officeIdle");
    ASSERT_NE(idle, nullptr);
    idle->start(0);
    EXPECT_TRUE(waitUntil([&] { return !officeRuns(); }, std::chrono::seconds(20)));
    shown.reset(); // after the idle end's work
    office::shutdownEngines();
}

} // namespace
} // namespace pravik::test
