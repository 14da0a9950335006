#include "Dialogs.h"
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

#include <QApplication>

#include <csignal>
#include <iostream>
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

int runWindows(int argc, char** argv)
{
    pravik::useJapaneseSystemLocale();
    QApplication app(argc, argv);
    // Windows repaint while a job waits on the office or the print system.
    pravik::office::setIdleHook(
        [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
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
    pravik::office::setIdleHook({});
    pravik::office::shutdownEngines();
    return 0;
}

int runHeadless(const pravik::HeadlessOptions& options)
{
    pravik::HeadlessServices services;
    services.currentPrinter = [] { return pravik::printers::currentPrinterName(); };
    services.makeJobs = [](const pravik::Settings& settings) -> std::unique_ptr<pravik::PrintJobs> {
        return std::make_unique<pravik::AutomationPrintJobs>(pravik::makeSystemAutomationBackend(),
                                                             settings);
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
    std::optional<pravik::HeadlessOptions> headless;
    try {
        headless = pravik::parseHeadlessArguments(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        std::cerr << "pravik: " << error.what();
        return pravik::kRunImpossible;
    }
    if (headless)
        return runHeadless(*headless);
    return runWindows(argc, argv);
}
