// SPDX-License-Identifier: MIT
#include "ui/server_address.h"

#include "platform/socket.h"
#include "platform/utf.h"

namespace tvr::ui {

std::u16string serverAddressText(std::optional<std::uint32_t> hostAddress,
                                 std::span<const std::uint32_t> lanAddresses) {
    // Many Linux systems map the host name to 127.0.1.1.
    bool loopback = hostAddress && (*hostAddress >> 24) == 127;
    if (hostAddress && !loopback) return platform::fromUtf8(platform::formatIpv4(*hostAddress));
    if (!lanAddresses.empty()) return platform::fromUtf8(platform::formatIpv4(lanAddresses.front()));
    return hostAddress ? platform::fromUtf8(platform::formatIpv4(*hostAddress)) : std::u16string();
}

std::u16string thisServerAddress() {
    std::uint32_t address = 0;
    std::string host = platform::hostName();
    std::optional<std::uint32_t> hostAddress;
    if (!host.empty() && platform::resolveIpv4(host, &address)) hostAddress = address;
    return serverAddressText(hostAddress, platform::lanIpv4Addresses());
}

}  // namespace tvr::ui
