#include "SystemPrinters.h"

namespace pravik::printers {

PrinterService& systemPrinters()
{
    static PrinterService service(makeWinspoolPrinterSource());
    return service;
}

std::vector<std::string> printerNames()
{
    return systemPrinters().printerNames();
}

std::string currentPrinterName()
{
    return systemPrinters().currentPrinterName();
}

} // namespace pravik::printers
