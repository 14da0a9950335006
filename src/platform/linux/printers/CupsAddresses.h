#pragma once

#include <cups/cups.h>

#include <chrono>
#include <memory>
#include <string>

namespace pravik::printers {

struct AddressListFree {
    void operator()(http_addrlist_t* list) const { httpAddrFreeList(list); }
};
using AddressList = std::unique_ptr<http_addrlist_t, AddressListFree>;

// The print system's addresses (a socket's path, or a host name looked up),
// or null when the lookup failed or did not end within `limit`: libcups
// looks names up without a limit of its own, and a name server that does
// not answer would hold every call. `failure` then says why.
AddressList printSystemAddresses(const char* server, int port, std::chrono::milliseconds limit,
                                 std::string& failure);

} // namespace pravik::printers
