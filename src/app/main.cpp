#include "Dialogs.h"
#include "ExecutablePath.h"
#include "Fonts.h"
#include "HeadlessRun.h"
#include "OfficeJobs.h"
#include "OfficeLifetime.h"
#include "SystemPrinters.h"
#include "Startup.h"
#include "SystemAutomation.h"
#include "UMain.h"

#include <QApplication>

#include <iostream>

namespace {

int runWindows(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Windows repaint while a job waits on the office or the print system.
    pravik::office::setIdleHook(
        [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
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
        std::cerr << pravik::headlessErrorLine(error.what());
        return pravik::kRunImpossible;
    }
    if (headless)
        return runHeadless(*headless);
    return runWindows(argc, argv);
}
