// One job in a new main window, step by step: the moments it reached, in ms
// from the print question answered (after READING_MS of reading), as
// "step<TAB>ms" lines. "warm": after a first job, so its office runs.
// bench/first_job_bench.sh runs it on a private print system and makes the
// table.
//   first_job_bench DOCUMENT QUEUE READING_MS [warm]
#include "Dialogs.h"
#include "OfficeLifetime.h"
#include "StepTimes.h"
#include "UDialog.h"
#include "UMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QThread>
#include <QToolButton>

#include <cups/cups.h>

#include <algorithm>
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

void recordStep(const char* step)
{
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

Timeline printOnce(TFmMain& window, ReadingDialogs& dialogs, const std::string& queue)
{
    reachedSteps.clear();
    window.findChild<QToolButton*>("btnPrt")->click();
    while (queueBusy(queue))
        QThread::msleep(5);
    recordStep("job done by the print system");
    if (!dialogs.reports.isEmpty()) {
        std::fprintf(stderr, "the run reported: %s\n", dialogs.reports.join('\n').toStdString().c_str());
        std::exit(1);
    }
    Timeline timeline;
    const std::lock_guard lock(stepsMutex);
    for (const auto& [step, at] : reachedSteps)
        if (!timeline.count(step)) // the first time each step is reached
            timeline[step] = std::chrono::duration<double, std::milli>(at - dialogs.answered).count();
    return timeline;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: first_job_bench DOCUMENT QUEUE READING_MS [warm]\n");
        return 2;
    }
    const std::string document = argv[1];
    const std::string queue = argv[2];
    const bool warm = argc > 4 && std::string(argv[4]) == "warm";
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

    if (warm)
        printOnce(window, dialogs, queue);
    dialogs.reading = std::chrono::milliseconds(std::atoi(argv[3]));
    for (const auto& [step, ms] : printOnce(window, dialogs, queue))
        std::printf("%s\t%.0f\n", step.c_str(), ms);
    office::shutdownEngines();
    std::filesystem::remove_all(folder);
    return 0;
}
