#include "CupsDests.h"

#include "CupsConnection.h"
#include "CupsQueues.h"
#include "Error.h"

namespace pravik::printers {

Dests::Dests()
{
    CupsConnection connection(kLookupLimit, CupsConnection::Cut::OnAbandonment);
    if (!connection.http()) {
        status_ = IPP_STATUS_ERROR_SERVICE_UNAVAILABLE;
        errorText_ = connection.failure();
        return;
    }
    count_ = cupsGetDests2(connection.http(), &dests_);
    status_ = cupsLastError();
    errorText_ = cupsLastErrorString();
    if (!connection.gaveUp())
        return;
    cupsFreeDests(count_, dests_);
    dests_ = nullptr;
    count_ = 0;
    if (const std::optional<std::chrono::seconds> deadline = connection.abandonedAt())
        throw Error(stalledText(*deadline));
    status_ = IPP_STATUS_ERROR_SERVICE_UNAVAILABLE;
    errorText_ = kNoAnswerText;
}

} // namespace pravik::printers
