// SPDX-License-Identifier: MIT
#include "platform/random.h"

// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

#include <algorithm>

namespace tvr::platform {

bool secureRandomBytes(void* buffer, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        ULONG chunk = static_cast<ULONG>(std::min<std::size_t>(size, 1u << 20));
        if (::BCryptGenRandom(nullptr, bytes, chunk, BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0) return false;
        bytes += chunk;
        size -= chunk;
    }
    return true;
}

}  // namespace tvr::platform
