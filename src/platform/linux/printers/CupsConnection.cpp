#include "CupsConnection.h"
#include "CupsAddresses.h"
#include "CupsPassword.h"
#include "CupsQueues.h"
#include "StopRequests.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace pravik::printers {

namespace {

// How often a silent print system is looked at again.
constexpr double kSilenceTick = 1.0;
constexpr int kConnectMilliseconds = 10000;
// How long a check of what the print system received may wait after a stop.
constexpr std::chrono::seconds kStoppedCheckLimit{5};

// Why a connection to the print system failed, as far as it can be told:
// libcups leaves errno and its last error to whatever it called after the
// failing connect (a closed socket, an earlier request). A socket's path is
// tried once more here, where the error is read right where it is set.
std::string connectFailure(const char* server)
{
    if (server[0] != '/')
        return {};
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (std::strlen(server) >= sizeof address.sun_path)
        return {};
    std::strcpy(address.sun_path, server);
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return {};
    const int result = ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int error = errno;
    ::close(probe);
    return result != 0 ? std::strerror(error) : std::string();
}

} // namespace

std::string stalledText(std::chrono::seconds deadline)
{
    return "印刷システム (CUPS) が制限時間 (" + std::to_string(deadline.count()) + " 秒) 内に応答しませんでした";
}

bool printSystemAnswers(std::chrono::seconds limit)
{
    CupsConnection connection(limit, CupsConnection::Cut::Never);
    if (!connection.http())
        return false;
    // No answer at all (a connection that ended) is no answer either.
    ipp_t* answer = cupsDoRequest(connection.http(), ippNewRequest(IPP_OP_CUPS_GET_DEFAULT), "/");
    const bool answered = answer && !connection.gaveUp();
    ippDelete(answer);
    return answered;
}

CupsConnection::CupsConnection(std::chrono::seconds limit, Cut cut) : limit_(limit), cut_(cut)
{
    int cancel = 0;
    const int connectLimit = static_cast<int>(std::min<std::chrono::milliseconds::rep>(
        kConnectMilliseconds, std::chrono::milliseconds(limit).count()));
    const char* server = cupsServer();
    const AddressList addresses =
        printSystemAddresses(server, ippPort(), std::chrono::milliseconds(connectLimit), failure_);
    if (!addresses)
        return;
    http_ = httpConnect2(server, ippPort(), addresses.get(), AF_UNSPEC, cupsEncryption(), 1, connectLimit,
                         &cancel);
    if (!http_) {
        failure_ = connectFailure(server);
        return;
    }
    httpSetTimeout(http_, kSilenceTick, &CupsConnection::keepWaiting, this);
    // libcups keeps its password callback per thread.
    usePasswordAsker();
}

CupsConnection::~CupsConnection()
{
    if (http_)
        httpClose(http_);
}

bool CupsConnection::pastLimit()
{
    if (cut_ == Cut::OnAbandonment) {
        if (const std::optional<std::chrono::seconds> deadline = currentWorkAbandoned()) {
            abandonedAt_ = deadline;
            gaveUp_ = true;
        }
    }
    if (std::chrono::steady_clock::now() - since_ >= limit_)
        gaveUp_ = true;
    return gaveUp_;
}

int CupsConnection::keepWaiting(http_t*, void* self)
{
    // Called after each second without an answer.
    noteSilentPrintSystem();
    auto& connection = *static_cast<CupsConnection*>(self);
    // A stop waits for a transfer that moves, not for a print system that
    // is silent.
    if (stopRequest() != 0
        && (connection.cut_ == Cut::OnAbandonment
            || std::chrono::steady_clock::now() - connection.since_ >= kStoppedCheckLimit)) {
        connection.stopped_ = true;
        connection.gaveUp_ = true;
    }
    return connection.pastLimit() ? 0 : 1;
}

std::string CupsConnection::cutText() const
{
    if (stopped_)
        return "中止の要求を受けたため、応答しない印刷システム (CUPS) を待つのをやめました";
    return stalledText(abandonedAt_.value_or(limit_));
}

} // namespace pravik::printers
