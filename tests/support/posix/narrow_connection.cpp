// SPDX-License-Identifier: MIT
#include "support/narrow_connection.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tvr::test {

platform::SocketHandle connectNarrow(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return platform::kInvalidSocket;
    // Both before the connect: the window scale and the segment size are agreed in the handshake.
    const int receiveBuffer = 4096;
    const int segment = 536;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer) == 0 &&
                           ::setsockopt(fd, IPPROTO_TCP, TCP_MAXSEG, &segment, sizeof segment) == 0 &&
                           ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                           ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) == 0;
    if (!connected) {
        ::close(fd);
        return platform::kInvalidSocket;
    }
    return fd;
}

}  // namespace tvr::test
