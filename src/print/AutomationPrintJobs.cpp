#include "OfficeJobs.h"

namespace pravik {

AutomationPrintJobs::AutomationPrintJobs(std::shared_ptr<AutomationBackend> backend,
                                         const Settings& settings)
    : automation_(std::move(backend))
    , settings_(settings)
{
}

JobOutcome AutomationPrintJobs::printExcel(const PrintEntry& entry, PrintMode mode)
{
    return PrintExcelFile(entry, mode, settings_, automation_);
}

void AutomationPrintJobs::printWord(const PrintEntry& entry, PrintMode mode,
                                    const std::string& currentPrinter)
{
    PrintWordFile(entry, mode, currentPrinter, automation_);
}

} // namespace pravik
