#include "CupsAddresses.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace pravik::printers {

namespace {

// Shared by the caller and the lookup, which may outlive the caller's wait.
struct Lookup {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    bool givenUp = false;
    http_addrlist_t* list = nullptr;
};

} // namespace

AddressList printSystemAddresses(const char* server, int port, std::chrono::milliseconds limit,
                                 std::string& failure)
{
    // A socket's path asks no name server.
    if (server[0] == '/') {
        AddressList local(httpAddrGetList(server, AF_UNSPEC, std::to_string(port).c_str()));
        if (!local)
            failure = std::string("ソケット ") + server + " を使えません";
        return local;
    }
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, name = std::string(server), service = std::to_string(port)] {
        http_addrlist_t* list = httpAddrGetList(name.c_str(), AF_UNSPEC, service.c_str());
        std::lock_guard lock(lookup->mutex);
        if (lookup->givenUp) {
            httpAddrFreeList(list);
            return;
        }
        lookup->list = list;
        lookup->done = true;
        lookup->ended.notify_all();
    }).detach();

    std::unique_lock lock(lookup->mutex);
    if (!lookup->ended.wait_for(lock, limit, [&] { return lookup->done; })) {
        lookup->givenUp = true;
        failure = "サーバー名 " + std::string(server) + " を制限時間内に解決できません";
        return nullptr;
    }
    if (!lookup->list)
        failure = "サーバー名 " + std::string(server) + " を解決できません";
    return AddressList(lookup->list);
}

} // namespace pravik::printers
