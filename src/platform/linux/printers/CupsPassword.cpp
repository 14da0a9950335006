#include "CupsPassword.h"

#include "AutomationWorker.h"
#include "OutcomeUnknown.h"

#include <cups/cups.h>

#include <map>
#include <mutex>
#include <utility>

namespace pravik::printers {

namespace {

std::mutex askerMutex;
PasswordAsker asker;
// By server: the answer given in this run, nullopt when declined.
std::map<std::string, std::optional<std::string>> answers;

void forgetPasswords()
{
    std::lock_guard lock(askerMutex);
    answers.clear();
}

thread_local bool refused = false;
thread_local std::string given;
// Asked again on the same connection, the answer given was wrong: libcups
// would ask for ever, so the user is asked anew (and may decline).
thread_local bool askedOnThisConnection = false;

const char* answerPassword(const char*, http_t* http, const char*, const char*, void*)
{
    char host[256] = {};
    httpGetHostname(http, host, sizeof host);
    const std::string server = host;
    std::optional<std::string> password;
    {
        // Held while the dialog is up: two jobs asking at once ask once.
        std::lock_guard lock(askerMutex);
        if (std::exchange(askedOnThisConnection, true))
            answers.erase(server);
        const auto known = answers.find(server);
        if (known != answers.end())
            password = known->second;
        else if (asker) {
            // The user's time does not count against the job's deadline.
            const UserWait typing;
            password = answers[server] = asker(server, cupsUser());
            leaveLooseEnd([](OutcomeUnknown::Clock::time_point) { forgetPasswords(); });
        }
    }
    if (!password) {
        refused = true;
        return nullptr;
    }
    given = *password;
    return given.c_str();
}

} // namespace

void setPasswordAsker(PasswordAsker newAsker)
{
    std::lock_guard lock(askerMutex);
    asker = std::move(newAsker);
}

void usePasswordAsker()
{
    cupsSetPasswordCB2(answerPassword, nullptr);
    askedOnThisConnection = false;
}

bool takePasswordRefused() { return std::exchange(refused, false); }

std::string passwordNeededText(const std::string& queue)
{
    return "プリンター " + queue + " はパスワードを求めていますが、パスワードが入力されなかったため印刷しませんでした";
}

} // namespace pravik::printers
