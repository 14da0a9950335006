#include "CupsQueues.h"

#include "Error.h"

#include <cups/cups.h>

namespace pravik::printers {

namespace {

bool meansNoServer(ipp_status_t status)
{
    return status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || status == IPP_STATUS_ERROR_INTERNAL;
}

} // namespace

bool queueExists(const std::string& name)
{
    if (name.empty())
        return false;
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.c_str(), nullptr);
    if (dest) {
        cupsFreeDests(1, dest);
        return true;
    }
    if (meansNoServer(cupsLastError()))
        throw Error("印刷システムに接続できません: " + std::string(cupsLastErrorString()));
    return false;
}

std::string defaultQueue()
{
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (!dest)
        return {};
    std::string name = dest->name;
    cupsFreeDests(1, dest);
    return name;
}

int submitPrintFile(const SubmitRequest& request)
{
    cups_option_t* options = nullptr;
    int count = 0;
    count = cupsAddOption("copies", std::to_string(request.copies).c_str(), count, &options);
    count = cupsAddOption("collate", request.collate ? "true" : "false", count, &options);
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, request.queue.c_str(), request.file.c_str(),
                                   request.title.c_str(), count, options);
    cupsFreeOptions(count, options);
    if (job <= 0)
        throw Error("プリンタ " + request.queue + " が印刷ジョブを受け付けませんでした: "
                    + cupsLastErrorString());
    return job;
}

} // namespace pravik::printers
