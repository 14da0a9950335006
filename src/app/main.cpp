#include "CrashLog.h"
#include "Dialogs.h"
#include "DisplayHold.h"
#include "ExecutablePath.h"
#include "Fonts.h"
#include "HeadlessRun.h"
#include "JapaneseTexts.h"
#include "OfficeJobs.h"
#include "OfficeLifetime.h"
#include "ProgramIcon.h"
#include "SystemPrinters.h"
#include "Startup.h"
#include "SystemAutomation.h"
#include "UMain.h"
#include "PrintLanes.h"

#include <QApplication>

#include <chrono>
#include <csignal>
#include <iostream>
#include <optional>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopSignal = 0;

// The first signal lets the run stop after the row in hand, which then
// cleans up after itself; a second one ends the program at once, with its
// spool file removed and its offices ended by their guardians.
extern "C" void onStopSignal(int signal)
{
    if (stopSignal != 0) {
        pravik::office::removeSpoolFileNow();
        ::_exit(128 + signal);
    }
    stopSignal = signal;
}

void handleStopSignals()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    // Whatever thread it lands on, a read from the office's pipe must go on,
    // not fail as if the office had gone.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
}

QtMessageHandler previousQtHandler = nullptr;

// A fatal message of the toolkit ends the program with its text and a
// backtrace on record; the others go where they always went.
void onQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg)
        pravik::crashWithMessage(text.toStdString());
    if (previousQtHandler)
        previousQtHandler(type, context, text);
    else
        std::cerr << qFormatLogMessage(type, context, text).toStdString() << std::endl;
}

// The jobs on their own automation threads, one per print office, each
// within the deadline; this thread just waits.
class HeadlessJobs final : public pravik::PrintJobs {
public:
    explicit HeadlessJobs(const pravik::Settings& settings)
        : worker_(pravik::makeSystemAutomationBackend()), direct_(worker_.backend(), settings)
        , lanes_(direct_, worker_, pravik::printLaneCount(settings.officeEngines, worker_.backend().get()),
                 [&settings](int lane) {
                     auto backend = pravik::makeSystemAutomationBackend(lane);
                     auto jobs = std::make_unique<pravik::AutomationPrintJobs>(backend, settings);
                     return pravik::PrintLane{std::move(backend), std::move(jobs)};
                 },
                 wait_, pravik::officeDeadline(settings.officeTimeout))
    {
    }

    pravik::JobOutcome printExcel(const pravik::PrintEntry& entry, pravik::PrintMode mode) override
    {
        return lanes_.printExcel(entry, mode);
    }
    void printWord(const pravik::PrintEntry& entry, pravik::PrintMode mode,
                   const std::string& currentPrinter) override
    {
        lanes_.printWord(entry, mode, currentPrinter);
    }
    std::vector<std::string> takeNotes() override { return lanes_.takeNotes(); }
    int roomAhead() const override { return lanes_.roomAhead(); }
    void startAhead(const pravik::PrintEntry& entry, pravik::PrintMode mode,
                    const std::string& currentPrinter) override
    {
        lanes_.startAhead(entry, mode, currentPrinter);
    }
    void discardAhead() override { lanes_.discardAhead(); }

private:
    pravik::AutomationWorker worker_;
    pravik::AutomationPrintJobs direct_;
    pravik::BlockingWait wait_;
    pravik::PrintLanes lanes_;
};

int runWindows(int argc, char** argv)
{
    previousQtHandler = qInstallMessageHandler(onQtMessage);
    std::optional<pravik::DisplayHold> display(std::in_place, std::chrono::seconds(5));
    if (!display->failure().empty()) {
        std::cerr << "pravik: " << display->failure() << std::endl;
        return pravik::kRunImpossible;
    }
    pravik::useJapaneseSystemLocale();
    QApplication app(argc, argv);
    display.reset(); // the toolkit holds its own connection now
    pravik::installJapaneseTexts(QCoreApplication::applicationDirPath());
    QApplication::setWindowIcon(pravik::programIcon());
    pravik::installJapaneseFontSubstitutes();
    QApplication::setFont(pravik::windowFont());
    pravik::QtDialogs dialogs;
    try {
        pravik::Windows windows = pravik::createWindows(dialogs, pravik::executableDir());
        windows.FmMain->show();
        app.exec();
    } catch (const std::exception& error) {
        dialogs.showError(nullptr, QString::fromUtf8(error.what()));
    }
    pravik::office::shutdownEngines();
    return 0;
}

int runHeadless(const pravik::HeadlessOptions& options)
{
    pravik::HeadlessServices services;
    services.currentPrinter = [] { return pravik::printers::currentPrinterName(); };
    services.makeJobs = [](const pravik::Settings& settings) -> std::unique_ptr<pravik::PrintJobs> {
        return std::make_unique<HeadlessJobs>(settings);
    };
    services.stopSignal = [] { return static_cast<int>(stopSignal); };
    handleStopSignals();
    services.afterPreview = [] {
        std::cerr << "プレビューのウィンドウをすべて閉じると終了します。" << std::endl;
        pravik::office::waitUntilPreviewsClosed();
    };
    const int status = pravik::runHeadless(options, services, std::cout, std::cerr);
    pravik::office::shutdownEngines();
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    pravik::installCrashLog();
    std::optional<pravik::HeadlessOptions> headless;
    try {
        headless = pravik::parseHeadlessArguments(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        std::cerr << pravik::headlessErrorLine(error.what());
        return pravik::kRunImpossible;
    }
    if (headless)
        return runHeadless(*headless);
    return runWindows(argc, argv);
}
