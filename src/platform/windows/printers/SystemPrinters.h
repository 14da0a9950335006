#pragma once

#include "Printers.h"
#include "SpoolerCalls.h"

#include <memory>
#include <string>
#include <vector>

namespace pravik::printers {

// The process-wide service over the system's printers.
PrinterService& systemPrinters();
std::unique_ptr<PrinterSource> makeWinspoolPrinterSource(std::unique_ptr<SpoolerCalls> spooler = systemSpooler());

// Shorthands for systemPrinters().
std::vector<std::string> printerNames();
std::string currentPrinterName();

} // namespace pravik::printers
