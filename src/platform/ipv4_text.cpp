// SPDX-License-Identifier: MIT
// The dotted-quad text of an address: the same on every platform, so it lives outside the backends.
#include <cstdio>

#include "platform/socket.h"

namespace tvr::platform {

std::string formatIpv4(std::uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", (address >> 24) & 0xFFu, (address >> 16) & 0xFFu,
                  (address >> 8) & 0xFFu, address & 0xFFu);
    return text;
}

}  // namespace tvr::platform
