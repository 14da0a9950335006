#include "Printers.h"

#include "Error.h"
#include "TextCodec.h"

#include <algorithm>

namespace pravik::printers {

PrinterService::PrinterService(std::unique_ptr<PrinterSource> source)
    : source_(std::move(source))
{
}

std::vector<std::string> PrinterService::printerNames()
{
    std::vector<std::string> names;
    for (const std::string& name : source_->query().names) {
        try {
            names.push_back(codec::fromUtf8(name));
        } catch (const codec::ConversionError&) {
        }
    }
    return names;
}

std::string PrinterService::currentPrinterName()
{
    const PrinterQuery found = source_->query();
    if (!found.unreachable.empty())
        throw Error(found.unreachable);
    if (found.defaultName.empty()
        || std::find(found.names.begin(), found.names.end(), found.defaultName)
               == found.names.end())
        throw Error("デフォルト プリンタが存在しません");
    return codec::fromUtf8(found.defaultName);
}

} // namespace pravik::printers
