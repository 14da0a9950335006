// The program without windows: `pravik --print LIST.lst` and
// `pravik --preview LIST.lst`, for builds that have no Qt.
#include "HeadlessRun.h"
#include "OfficeJobs.h"
#include "OfficeLifetime.h"
#include "SystemAutomation.h"
#include "SystemPrinters.h"

#ifdef _WIN32
#include "ComApartment.h"

#include <windows.h>
#endif

#include <iostream>

int main(int argc, char** argv)
{
#ifdef _WIN32
    // The result lines and messages are UTF-8.
    ::SetConsoleOutputCP(CP_UTF8);
    pravik::win::ComApartment com;
#endif
    std::optional<pravik::HeadlessOptions> options;
    try {
        options = pravik::parseHeadlessArguments(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        std::cerr << "pravik: " << error.what();
        return pravik::kRunImpossible;
    }
    if (!options) {
        std::cerr << pravik::headlessUsage();
        return pravik::kRunImpossible;
    }
    pravik::HeadlessServices services;
    services.currentPrinter = [] { return pravik::printers::currentPrinterName(); };
    services.makeJobs = [](const pravik::Settings& settings) -> std::unique_ptr<pravik::PrintJobs> {
        return std::make_unique<pravik::AutomationPrintJobs>(pravik::makeSystemAutomationBackend(),
                                                             settings);
    };
    services.afterPreview = [] { pravik::office::waitUntilPreviewsClosed(); };
    const int status = pravik::runHeadless(*options, services, std::cout, std::cerr);
    pravik::office::shutdownEngines();
    return status;
}
