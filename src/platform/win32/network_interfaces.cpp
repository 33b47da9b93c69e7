// SPDX-License-Identifier: MIT
// The PC's own IPv4 addresses, for the user to enter on the headset.
#include <winsock2.h>
#include <ws2tcpip.h>
// After Winsock's headers, whose types it needs.
#include <iphlpapi.h>

#include <algorithm>
#include <vector>

#include "platform/socket.h"

namespace tvr::platform {

std::vector<std::uint32_t> lanIpv4Addresses() {
    std::vector<std::uint32_t> addresses;
    constexpr ULONG kFlags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    // The list can grow between the size query and the call; a few tries with the new size settle it.
    std::vector<unsigned char> buffer(16 * 1024);
    ULONG size = static_cast<ULONG>(buffer.size());
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        result = ::GetAdaptersAddresses(AF_INET, kFlags, nullptr,
                                        reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (result != NO_ERROR) return addresses;
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter != nullptr;
         adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK) continue;
        for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = adapter->FirstUnicastAddress; unicast != nullptr;
             unicast = unicast->Next) {
            const SOCKET_ADDRESS& socketAddress = unicast->Address;
            if (socketAddress.lpSockaddr == nullptr || socketAddress.lpSockaddr->sa_family != AF_INET) continue;
            sockaddr_in address{};
            std::copy_n(reinterpret_cast<const unsigned char*>(socketAddress.lpSockaddr), sizeof address,
                        reinterpret_cast<unsigned char*>(&address));
            std::uint32_t value = ntohl(address.sin_addr.s_addr);
            // Loopback addresses can sit on other adapters too (a VPN's, Wine's).
            if ((value >> 24) == 127) continue;
            if (std::find(addresses.begin(), addresses.end(), value) == addresses.end()) addresses.push_back(value);
        }
    }
    return addresses;
}

}  // namespace tvr::platform
