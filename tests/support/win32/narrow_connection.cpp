// SPDX-License-Identifier: MIT
#include "support/narrow_connection.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace tvr::test {

platform::SocketHandle connectNarrow(std::uint16_t port) {
    SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET) return platform::kInvalidSocket;
    // Winsock takes no segment size from a client; the small receive buffer is set before the
    // connect, where the window is agreed.
    const int receiveBuffer = 4096;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    u_long nonBlocking = 1;
    const bool connected = ::setsockopt(socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveBuffer),
                                        sizeof receiveBuffer) == 0 &&
                           ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                           ::ioctlsocket(socket, FIONBIO, &nonBlocking) == 0;
    if (!connected) {
        ::closesocket(socket);
        return platform::kInvalidSocket;
    }
    return static_cast<platform::SocketHandle>(socket);
}

}  // namespace tvr::test
