// SPDX-License-Identifier: MIT
// IPv4 UDP datagrams on POSIX: non-blocking, not inherited by child processes.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/posix_util.h"
#include "platform/socket.h"

namespace tvr::platform {

namespace {

sockaddr_in toSockaddr(const Ipv4Endpoint& endpoint) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(endpoint.address);
    address.sin_port = htons(endpoint.port);
    return address;
}

}  // namespace

SocketHandle udpSocket(const Ipv4Endpoint* local, int* error) {
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd >= 0 && local != nullptr) {
        sockaddr_in address = toSockaddr(*local);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            int code = errno;
            ::close(fd);
            errno = code;
            fd = -1;
        }
    }
    if (fd < 0) {
        if (error != nullptr) *error = errno;
        return kInvalidSocket;
    }
    return fd;
}

IoResult sendDatagram(SocketHandle socket, const Ipv4Endpoint& remote, const void* data, std::size_t size) {
    sockaddr_in address = toSockaddr(remote);
    ssize_t put = posix::retryOnEintr([&] {
        return ::sendto(static_cast<int>(socket), data, size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&address),
                        sizeof address);
    });
    IoResult result;
    if (put < 0) {
        result.error = errno;
        result.status = result.error == EAGAIN || result.error == EWOULDBLOCK ? IoStatus::WouldBlock : IoStatus::Error;
        return result;
    }
    result.status = IoStatus::Ok;
    result.bytes = static_cast<std::size_t>(put);
    return result;
}

}  // namespace tvr::platform
