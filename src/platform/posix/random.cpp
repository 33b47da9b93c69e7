// SPDX-License-Identifier: MIT
#include "platform/random.h"

#include <sys/random.h>

#include <cerrno>

namespace tvr::platform {

bool secureRandomBytes(void* buffer, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        ssize_t got = ::getrandom(bytes, size, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace tvr::platform
