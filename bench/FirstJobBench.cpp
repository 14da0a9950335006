// One piece of office work in a new main window, step by step: the moments it
// reached, in ms from the user's go (the print question answered after
// READING_MS of reading, or 読込 clicked READING_MS after the editor opened),
// as "step<TAB>ms" lines. KIND: "print" (a new office), "warm" (after a first
// job, so its office runs), "preview" (the office's preview, on the display)
// or "sheets" (読込 of a workbook's row in the editor).
// bench/first_job_bench.sh runs it on a private print system and makes the
// table.
//   first_job_bench DOCUMENT QUEUE READING_MS KIND
#include "Dialogs.h"
#include "OfficeLifetime.h"
#include "StepTimes.h"
#include "UDialog.h"
#include "UEdit.h"
#include "UMain.h"

#include <QApplication>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QThread>
#include <QToolButton>

#include <cups/cups.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

using namespace pravik;
using Clock = std::chrono::steady_clock;

namespace {

std::mutex stepsMutex;
std::vector<std::pair<std::string, Clock::time_point>> reachedSteps;

std::atomic<bool> previewShown{false};

void recordStep(const char* step)
{
    if (std::string(step) == "preview shown")
        previewShown = true;
    const std::lock_guard lock(stepsMutex);
    reachedSteps.emplace_back(step, Clock::now());
}

// Answers the print question after the reading time, and keeps the moment.
class ReadingDialogs : public Dialogs {
public:
    std::chrono::milliseconds reading{0};
    Clock::time_point answered;
    QStringList reports;

    bool confirmOkCancel(QWidget*, const QString&, const QString&) override
    {
        const auto until = Clock::now() + reading;
        while (Clock::now() < until) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        answered = Clock::now();
        recordStep("print question answered");
        return true;
    }
    bool askYesNo(QWidget*, const QString&, const QString&) override { return true; }
    QString chooseOpenFile(QWidget*, const QString&, const QString&) override { return {}; }
    QString chooseSaveFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QStringList chooseOpenFiles(QWidget*, const QString&) override { return {}; }
    void showError(QWidget*, const QString& text) override { reports << text; }
    void showWarning(QWidget*, const QString& text, const QString&) override { reports << text; }
    void showFailureReport(QWidget*, const QString& text, const QString&) override { reports << text; }
    void showMessage(QWidget*, const QString& text, const QString&) override { reports << text; }
};

bool queueBusy(const std::string& queue)
{
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.c_str(), 0, CUPS_WHICHJOBS_ACTIVE);
    cupsFreeJobs(count, jobs);
    return count > 0;
}

using Timeline = std::map<std::string, double>; // step: ms since the answer

Timeline timelineFrom(Clock::time_point go)
{
    Timeline timeline;
    const std::lock_guard lock(stepsMutex);
    for (const auto& [step, at] : reachedSteps)
        if (!timeline.count(step)) // the first time each step is reached
            timeline[step] = std::chrono::duration<double, std::milli>(at - go).count();
    reachedSteps.clear();
    return timeline;
}

void failOnReports(const ReadingDialogs& dialogs)
{
    if (!dialogs.reports.isEmpty()) {
        std::fprintf(stderr, "the window reported: %s\n", dialogs.reports.join('\n').toStdString().c_str());
        std::exit(1);
    }
}

Timeline printOnce(TFmMain& window, ReadingDialogs& dialogs, const std::string& queue)
{
    window.findChild<QToolButton*>("btnPrt")->click();
    while (queueBusy(queue))
        QThread::msleep(5);
    recordStep("job done by the print system");
    failOnReports(dialogs);
    return timelineFrom(dialogs.answered);
}

// Until the preview shows: then its office is ended, as nobody is there to
// close it, and what the run says of that is not timed.
Timeline previewOnce(TFmMain& window, ReadingDialogs& dialogs)
{
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&closer] {
        if (!previewShown)
            return;
        closer.stop();
        const std::string pipe = "pravik-" + std::to_string(QCoreApplication::applicationPid()) + "-preview-";
        std::system(("pkill -KILL -f 'pipe,name=" + pipe + "' >/dev/null 2>&1").c_str());
    });
    closer.start(10);
    window.PrintFiles(1);
    return timelineFrom(dialogs.answered);
}

Timeline readSheets(TFmMain& window, ReadingDialogs& dialogs, std::chrono::milliseconds reading)
{
    TFmEdit editor(window);
    window.setEntryEditor(&editor);
    editor.OpenEntry(0);
    const auto until = Clock::now() + reading;
    while (Clock::now() < until) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    const Clock::time_point go = Clock::now();
    recordStep("読込 clicked");
    editor.findChild<QPushButton*>("btnAll")->click();
    recordStep("sheets listed");
    failOnReports(dialogs);
    window.setEntryEditor(nullptr);
    return timelineFrom(go);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: first_job_bench DOCUMENT QUEUE READING_MS print|warm|preview|sheets\n");
        return 2;
    }
    const std::string document = argv[1];
    const std::string queue = argv[2];
    const std::chrono::milliseconds reading(std::atoi(argv[3]));
    const std::string kind = argv[4];
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    steps::recorder = recordStep;

    const std::filesystem::path folder = std::filesystem::temp_directory_path()
                                         / ("pravik-first-job-bench-" + std::to_string(QCoreApplication::applicationPid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "main.ini")
        << "[TITLE]\r\nAPP_NAME=Pravik\r\n[MAIN]\r\nCOLUMN=150,150,200,40,40,100,200\r\nENGINES=1\r\n";

    ReadingDialogs dialogs;
    TFmMain window(dialogs, folder.string(), MainServices::system());
    TFmDialog progress(window.abortFlag);
    window.setProgressDialog(&progress);
    window.show();
    for (int i = 0; i < 20; ++i) // the window's own start-up work, done before the list is put in
        QCoreApplication::processEvents();
    const std::string name = std::filesystem::path(document).filename().string();
    const std::string extension = std::filesystem::path(document).extension().string().substr(1, 3);
    window.printList().replaceAll({PrintEntry{name, "", "", extension, "1", queue, document}});
    window.listView()->selectAll();

    if (kind == "warm")
        printOnce(window, dialogs, queue);
    dialogs.reading = reading;
    const Timeline timeline = kind == "sheets"    ? readSheets(window, dialogs, reading)
                              : kind == "preview" ? previewOnce(window, dialogs)
                                                  : printOnce(window, dialogs, queue);
    for (const auto& [step, ms] : timeline)
        std::printf("%s\t%.0f\n", step.c_str(), ms);
    office::shutdownEngines();
    std::filesystem::remove_all(folder);
    return 0;
}
