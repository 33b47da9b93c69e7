// SPDX-License-Identifier: MIT
// The PC's own IPv4 addresses, for the user to enter on the headset.
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>

#include "platform/socket.h"

namespace tvr::platform {

std::vector<std::uint32_t> lanIpv4Addresses() {
    std::vector<std::uint32_t> addresses;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return addresses;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        if ((entry->ifa_flags & IFF_UP) == 0 || (entry->ifa_flags & IFF_LOOPBACK) != 0) continue;
        sockaddr_in address{};
        std::copy_n(reinterpret_cast<const unsigned char*>(entry->ifa_addr), sizeof address,
                    reinterpret_cast<unsigned char*>(&address));
        std::uint32_t value = ntohl(address.sin_addr.s_addr);
        if (std::find(addresses.begin(), addresses.end(), value) == addresses.end()) addresses.push_back(value);
    }
    ::freeifaddrs(list);
    return addresses;
}

}  // namespace tvr::platform
