#include "CupsConnection.h"

#include <cerrno>
#include <cstring>

namespace pravik::printers {

namespace {

// How often a silent print system is looked at again.
constexpr double kSilenceTick = 1.0;
constexpr int kConnectMilliseconds = 10000;

} // namespace

std::string stalledText(std::chrono::seconds deadline)
{
    return "印刷システム (CUPS) が制限時間 (" + std::to_string(deadline.count()) + " 秒) 内に応答しませんでした";
}

CupsConnection::CupsConnection(std::chrono::seconds limit, Cut cut) : limit_(limit), cut_(cut)
{
    int cancel = 0;
    http_ = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                         kConnectMilliseconds, &cancel);
    if (!http_) {
        const int error = errno;
        failure_ = error != 0 ? std::strerror(error) : cupsLastErrorString();
        return;
    }
    httpSetTimeout(http_, kSilenceTick, &CupsConnection::keepWaiting, this);
}

CupsConnection::~CupsConnection()
{
    if (http_)
        httpClose(http_);
}

int CupsConnection::keepWaiting(http_t*, void* self)
{
    auto& connection = *static_cast<CupsConnection*>(self);
    if (connection.cut_ == Cut::OnAbandonment) {
        if (const std::optional<std::chrono::seconds> deadline = currentWorkAbandoned()) {
            connection.abandonedAt_ = deadline;
            connection.gaveUp_ = true;
            return 0;
        }
    }
    if (std::chrono::steady_clock::now() - connection.since_ >= connection.limit_) {
        connection.gaveUp_ = true;
        return 0;
    }
    return 1;
}

} // namespace pravik::printers
