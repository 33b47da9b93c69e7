// SPDX-License-Identifier: MIT
// IPv4 TCP sockets and UDP datagrams on POSIX: non-blocking, not inherited by child processes,
// EINTR retried, and MSG_NOSIGNAL so a closed peer shows up as a result instead of a SIGPIPE that
// would end the process.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/posix/posix_util.h"
#include "platform/socket.h"
#include "platform/time.h"

namespace tvr::platform {

namespace {

using posix::retryOnEintr;

sockaddr_in toSockaddr(const Ipv4Endpoint& endpoint) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(endpoint.address);
    address.sin_port = htons(endpoint.port);
    return address;
}

Ipv4Endpoint fromSockaddr(const sockaddr_in& address) {
    return Ipv4Endpoint{ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)};
}

// Closes fd when open, reports errno and returns -1 (kInvalidSocket).
int failWith(int fd, int* error) {
    int code = errno;
    if (fd >= 0) ::close(fd);
    if (error != nullptr) *error = code;
    return -1;
}

// Opens a non-blocking socket of `type` (SOCK_STREAM, SOCK_DGRAM) that child processes do not
// inherit, bound to `local` when given, with a listener's port option when `listening`.
int openSocket(int type, const Ipv4Endpoint* local, bool listening, int* error) {
    int fd = ::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return failWith(fd, error);
    if (listening) {
        int on = 1;
        // A restarted server must be able to take its port back while old connections linger in TIME_WAIT.
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    }
    if (local != nullptr) {
        sockaddr_in address = toSockaddr(*local);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return failWith(fd, error);
    }
    return fd;
}

// Waits for the connect in progress to finish, within the time left of timeoutMs.
bool waitConnected(int fd, int timeoutMs) {
    const std::uint32_t start = monotonicMs();
    for (;;) {
        pollfd item{fd, POLLOUT, 0};
        int ready = ::poll(&item, 1, posix::remainingMs(start, timeoutMs));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            errno = ready == 0 ? ETIMEDOUT : errno;
            return false;
        }
        int result = 0;
        socklen_t length = sizeof result;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &length) != 0) return false;
        errno = result;
        return result == 0;
    }
}

IoResult failure(int code) {
    IoResult result;
    result.error = code;
    if (code == EAGAIN || code == EWOULDBLOCK) {
        result.status = IoStatus::WouldBlock;
    } else if (code == EPIPE) {
        result.status = IoStatus::Closed;
    } else {
        result.status = IoStatus::Error;
    }
    return result;
}

}  // namespace

bool socketsStartup() { return true; }

void socketsCleanup() {}

SocketHandle tcpListen(const Ipv4Endpoint& local, int backlog, int* error) {
    int fd = openSocket(SOCK_STREAM, &local, true, error);
    if (fd < 0) return kInvalidSocket;
    if (::listen(fd, backlog) != 0) return failWith(fd, error);
    return fd;
}

SocketHandle tcpAccept(SocketHandle listener, Ipv4Endpoint* peer) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    int fd = retryOnEintr([&] {
        return ::accept4(static_cast<int>(listener), reinterpret_cast<sockaddr*>(&address), &length,
                         SOCK_NONBLOCK | SOCK_CLOEXEC);
    });
    if (fd < 0) return kInvalidSocket;
    if (peer != nullptr) *peer = fromSockaddr(address);
    return fd;
}

SocketHandle tcpConnect(const Ipv4Endpoint& remote, int timeoutMs, const Ipv4Endpoint* bindLocal, int* error) {
    int fd = openSocket(SOCK_STREAM, bindLocal, false, error);
    if (fd < 0) return kInvalidSocket;
    sockaddr_in address = toSockaddr(remote);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
    if (errno != EINPROGRESS && errno != EINTR) return failWith(fd, error);
    if (!waitConnected(fd, timeoutMs)) return failWith(fd, error);
    return fd;
}

IoResult recvSome(SocketHandle socket, void* buffer, std::size_t size) {
    IoResult result;
    if (size == 0) {
        result.status = IoStatus::Ok;
        return result;
    }
    ssize_t got = retryOnEintr([&] { return ::recv(static_cast<int>(socket), buffer, size, 0); });
    if (got < 0) return failure(errno);
    result.status = got == 0 ? IoStatus::Closed : IoStatus::Ok;
    result.bytes = static_cast<std::size_t>(got);
    return result;
}

bool peerHasLeft(SocketHandle socket) {
    // POLLRDHUP tells of the peer's end even while bytes it sent before are still unread.
    pollfd item{static_cast<int>(socket), POLLIN | POLLRDHUP, 0};
    if (retryOnEintr([&] { return ::poll(&item, 1, 0); }) <= 0) return false;
    return (item.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

IoResult sendSome(SocketHandle socket, const void* data, std::size_t size) {
    IoResult result;
    if (size == 0) {
        result.status = IoStatus::Ok;
        return result;
    }
    ssize_t put = retryOnEintr([&] { return ::send(static_cast<int>(socket), data, size, MSG_NOSIGNAL); });
    if (put < 0) return failure(errno);
    result.status = IoStatus::Ok;
    result.bytes = static_cast<std::size_t>(put);
    return result;
}

SocketHandle udpSocket(const Ipv4Endpoint* local, int* error) { return openSocket(SOCK_DGRAM, local, false, error); }

IoResult sendDatagram(SocketHandle socket, const Ipv4Endpoint& remote, const void* data, std::size_t size) {
    sockaddr_in address = toSockaddr(remote);
    ssize_t put = retryOnEintr([&] {
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

bool setNoDelay(SocketHandle socket) {
    int on = 1;
    return ::setsockopt(static_cast<int>(socket), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0;
}

bool noDelay(SocketHandle socket) {
    int on = 0;
    socklen_t length = sizeof on;
    return ::getsockopt(static_cast<int>(socket), IPPROTO_TCP, TCP_NODELAY, &on, &length) == 0 && on != 0;
}

bool setQuickAck(SocketHandle socket) {
    int on = 1;
    return ::setsockopt(static_cast<int>(socket), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on) == 0;
}

void closeSocket(SocketHandle socket) {
    if (socket != kInvalidSocket) ::close(static_cast<int>(socket));
}

Ipv4Endpoint localEndpoint(SocketHandle socket) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(static_cast<int>(socket), reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        address.sin_family != AF_INET) {
        return Ipv4Endpoint{};
    }
    return fromSockaddr(address);
}

bool resolveIpv4(const std::string& host, std::uint32_t* address) {
    if (host.empty() || address == nullptr) return false;
    in_addr parsed{};
    if (::inet_pton(AF_INET, host.c_str(), &parsed) == 1) {
        *address = ntohl(parsed.s_addr);
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return false;
    *address = ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
    ::freeaddrinfo(found);
    return true;
}

std::string hostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

}  // namespace tvr::platform
