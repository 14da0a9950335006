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
    for (PrinterChoice& choice : printerChoices())
        names.push_back(std::move(choice.name));
    return names;
}

std::vector<PrinterChoice> PrinterService::printerChoices()
{
    const PrinterQuery found = source_->query();
    std::vector<PrinterChoice> choices;
    for (size_t i = 0; i < found.names.size(); ++i) {
        const std::string& name = found.names[i];
        try {
            PrinterChoice choice{codec::fromUtf8(name), name};
            // Queue names are short and ASCII; users know their printers by
            // the description an administrator gave them.
            if (i < found.descriptions.size() && !found.descriptions[i].empty()
                && found.descriptions[i] != name)
                choice.label = found.descriptions[i] + " (" + name + ")";
            choices.push_back(std::move(choice));
        } catch (const codec::ConversionError&) {
        }
    }
    return choices;
}

std::string PrinterService::currentPrinterName()
{
    const PrinterQuery found = source_->query();
    if (!found.unreachable.empty())
        throw Error(found.unreachable);
    if (found.defaultName.empty()
        || std::find(found.names.begin(), found.names.end(), found.defaultName)
               == found.names.end())
        throw Error("デフォルト プリンターが存在しません");
    return codec::fromUtf8(found.defaultName);
}

} // namespace pravik::printers
