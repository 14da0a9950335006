#include "CupsConnection.h"
#include "CupsDests.h"
#include "CupsQueues.h"
#include "Error.h"
#include "SystemPrinters.h"

#include <cups/cups.h>

namespace pravik::printers {

namespace {

// No printer known is "no printers", not a failure: libcups reports it as
// an error, with texts such as "Bad file descriptor" that would only puzzle
// the user. No scheduler running is told apart before this is asked.
bool meansNoPrinters(ipp_status_t status)
{
    return status <= IPP_STATUS_OK_EVENTS_COMPLETE
        || status == IPP_STATUS_ERROR_NOT_FOUND
        || status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE;
}

std::string destName(const cups_dest_t& dest)
{
    std::string name = dest.name;
    if (dest.instance)
        name += std::string("/") + dest.instance;
    return name;
}

class CupsPrinterSource : public PrinterSource {
public:
    PrinterQuery query() override
    {
        const std::shared_ptr<const Dests> reading = currentDests();
        const Dests& dests = *reading;
        if (dests.count() == 0) {
            const ipp_status_t status = dests.status();
            if (status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE)
                return {{}, {}, unreachableText(dests.errorText())};
            if (!meansNoPrinters(status))
                throw Error(dests.errorText());
            return {};
        }

        PrinterQuery found;
        for (int i = 0; i < dests.count(); ++i) {
            found.names.push_back(destName(dests[i]));
            const char* info = cupsGetOption("printer-info", dests[i].num_options, dests[i].options);
            found.descriptions.emplace_back(info ? info : "");
            if (dests[i].is_default && found.defaultName.empty())
                found.defaultName = found.names.back();
        }
        if (found.defaultName.empty()) {
            const CupsConnection connection(kLookupLimit, CupsConnection::Cut::OnAbandonment);
            if (connection.http())
                if (const char* name = cupsGetDefault2(connection.http()))
                    found.defaultName = name;
        }
        return found;
    }
};

} // namespace

std::unique_ptr<PrinterSource> makeCupsPrinterSource()
{
    return std::make_unique<CupsPrinterSource>();
}

} // namespace pravik::printers
