// SPDX-License-Identifier: MIT
#pragma once
// A loopback connection that is full after little: a small receive buffer and, where the OS lets
// a client ask for them, small segments, which keep the server's send buffer small too. A server
// socket to it stops taking bytes after about 100 KB instead of several MB, so a test can fill
// it without knowing how far the OS would grow its buffers.
#include <cstdint>

#include "platform/socket.h"

namespace tvr::test {

/// Connects to 127.0.0.1:port; the socket is non-blocking afterwards. kInvalidSocket when it cannot.
platform::SocketHandle connectNarrow(std::uint16_t port);

}  // namespace tvr::test
