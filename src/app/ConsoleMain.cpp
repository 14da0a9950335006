// The program without windows: `pravik --print LIST.lst` and
// `pravik --preview LIST.lst`, for builds that have no Qt.
#include "HeadlessRun.h"
#include "OfficeJobs.h"
#include "OfficeLifetime.h"
#include "SystemAutomation.h"
#include "SystemPrinters.h"

#ifdef _WIN32
#include "ComApartment.h"
#include "WideText.h"

#include <windows.h>

#include <shellapi.h>
#endif

#include <iostream>

namespace {

// The arguments as UTF-8: on Windows from the wide command line, since the
// ANSI one loses every character outside the system's code page.
std::vector<std::string> arguments(int argc, char** argv)
{
#ifdef _WIN32
    (void)argc;
    (void)argv;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i)
        args.push_back(pravik::win::utf8Of(wide[i]));
    ::LocalFree(wide);
    return args;
#else
    return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

} // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // The result lines and messages are UTF-8.
    ::SetConsoleOutputCP(CP_UTF8);
    pravik::win::ComApartment com;
#endif
    std::optional<pravik::HeadlessOptions> options;
    try {
        options = pravik::parseHeadlessArguments(arguments(argc, argv));
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
