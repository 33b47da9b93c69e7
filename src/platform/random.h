// SPDX-License-Identifier: MIT
#pragma once
// Bytes from the operating system's random source, for secrets a guess must not find (the web
// page's sign-in token, session keys).
#include <cstddef>

namespace tvr::platform {

/// Fills the buffer from the OS's random source; false when the source cannot be read.
bool secureRandomBytes(void* buffer, std::size_t size);

}  // namespace tvr::platform
