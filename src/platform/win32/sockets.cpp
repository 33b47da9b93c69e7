// SPDX-License-Identifier: MIT
// IPv4 TCP sockets and UDP datagrams on Winsock 2: non-blocking through FIONBIO, not inherited by
// child processes, and WSAEWOULDBLOCK reported as would-block rather than as an error.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>

#include "platform/socket.h"
#include "platform/time.h"

namespace tvr::platform {

namespace {

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

bool setNonBlocking(SOCKET socket) {
    u_long on = 1;
    return ::ioctlsocket(socket, FIONBIO, &on) == 0;
}

// Winsock counts its start-ups; one kept for the whole process lets code that never called
// socketsStartup (a Waker, a test) still make sockets, as it can on POSIX.
void ensureWinsock() {
    static std::once_flag started;
    std::call_once(started, [] {
        WSADATA data{};
        ::WSAStartup(MAKEWORD(2, 2), &data);
    });
}

SocketHandle failWith(SOCKET socket, int* error) {
    int code = ::WSAGetLastError();
    if (socket != INVALID_SOCKET) ::closesocket(socket);
    if (error != nullptr) *error = code != 0 ? code : WSAEINVAL;
    return kInvalidSocket;
}

// Opens a non-blocking socket of `type` (SOCK_STREAM, SOCK_DGRAM) that child processes do not
// inherit, bound to `local` when given, with a listener's port option when `listening`.
SOCKET openSocket(int type, const Ipv4Endpoint* local, bool listening, int* error) {
    ensureWinsock();
    const int protocol = type == SOCK_STREAM ? IPPROTO_TCP : IPPROTO_UDP;
    SOCKET socket = ::WSASocketW(AF_INET, type, protocol, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    bool ok = socket != INVALID_SOCKET && setNonBlocking(socket);
    if (ok && listening) {
        // Windows lets a new listener reuse a port in TIME_WAIT by default; exclusive use keeps
        // another program from binding the same port beside ours.
        BOOL on = TRUE;
        ::setsockopt(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
    }
    if (ok && local != nullptr) {
        sockaddr_in address = toSockaddr(*local);
        ok = ::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    if (ok) return socket;
    failWith(socket, error);
    return INVALID_SOCKET;
}

// Waits for the connect in progress to finish, within timeoutMs. select rather than WSAPoll:
// WSAPoll does not report a refused connect on every Windows version.
bool waitConnected(SOCKET socket, int timeoutMs) {
    fd_set writable;
    fd_set failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(socket, &writable);
    FD_SET(socket, &failed);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    int ready = ::select(0, nullptr, &writable, &failed, timeoutMs < 0 ? nullptr : &limit);
    if (ready == 0) ::WSASetLastError(WSAETIMEDOUT);
    if (ready <= 0) return false;
    int result = 0;
    int length = sizeof result;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&result), &length) != 0) return false;
    ::WSASetLastError(result);
    return result == 0 && FD_ISSET(socket, &writable);
}

IoResult failure(int code) {
    IoResult result;
    result.error = code;
    if (code == WSAEWOULDBLOCK) {
        result.status = IoStatus::WouldBlock;
    } else if (code == WSAESHUTDOWN) {
        // Sending after our own shutdown is what EPIPE reports on POSIX.
        result.status = IoStatus::Closed;
    } else {
        result.status = IoStatus::Error;
    }
    return result;
}

int clampToInt(std::size_t size) { return size > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(size); }

}  // namespace

bool socketsStartup() {
    WSADATA data{};
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

void socketsCleanup() { ::WSACleanup(); }

SocketHandle tcpListen(const Ipv4Endpoint& local, int backlog, int* error) {
    SOCKET socket = openSocket(SOCK_STREAM, &local, true, error);
    if (socket == INVALID_SOCKET) return kInvalidSocket;
    if (::listen(socket, backlog) != 0) return failWith(socket, error);
    return static_cast<SocketHandle>(socket);
}

SocketHandle tcpAccept(SocketHandle listener, Ipv4Endpoint* peer) {
    sockaddr_in address{};
    int length = sizeof address;
    SOCKET socket = ::accept(static_cast<SOCKET>(listener), reinterpret_cast<sockaddr*>(&address), &length);
    if (socket == INVALID_SOCKET) return kInvalidSocket;
    // An accepted socket takes the listener's non-blocking mode; inheritance is turned off again.
    ::SetHandleInformation(reinterpret_cast<HANDLE>(socket), HANDLE_FLAG_INHERIT, 0);
    if (!setNonBlocking(socket)) {
        ::closesocket(socket);
        return kInvalidSocket;
    }
    if (peer != nullptr) *peer = fromSockaddr(address);
    return static_cast<SocketHandle>(socket);
}

SocketHandle tcpConnect(const Ipv4Endpoint& remote, int timeoutMs, const Ipv4Endpoint* bindLocal, int* error) {
    SOCKET socket = openSocket(SOCK_STREAM, bindLocal, false, error);
    if (socket == INVALID_SOCKET) return kInvalidSocket;
    sockaddr_in address = toSockaddr(remote);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        return static_cast<SocketHandle>(socket);
    }
    if (::WSAGetLastError() != WSAEWOULDBLOCK) return failWith(socket, error);
    if (!waitConnected(socket, timeoutMs)) return failWith(socket, error);
    return static_cast<SocketHandle>(socket);
}

IoResult recvSome(SocketHandle socket, void* buffer, std::size_t size) {
    IoResult result;
    if (size == 0) {
        result.status = IoStatus::Ok;
        return result;
    }
    int got = ::recv(static_cast<SOCKET>(socket), static_cast<char*>(buffer), clampToInt(size), 0);
    if (got == SOCKET_ERROR) return failure(::WSAGetLastError());
    result.status = got == 0 ? IoStatus::Closed : IoStatus::Ok;
    result.bytes = static_cast<std::size_t>(got);
    return result;
}

bool peerHasLeft(SocketHandle socket) {
    // The socket never blocks: a peek tells an end (0), waiting bytes (> 0) or nothing yet.
    char byte = 0;
    const int got = ::recv(static_cast<SOCKET>(socket), &byte, 1, MSG_PEEK);
    if (got >= 0) return got == 0;
    return ::WSAGetLastError() != WSAEWOULDBLOCK;
}

IoResult sendSome(SocketHandle socket, const void* data, std::size_t size) {
    IoResult result;
    if (size == 0) {
        result.status = IoStatus::Ok;
        return result;
    }
    int put = ::send(static_cast<SOCKET>(socket), static_cast<const char*>(data), clampToInt(size), 0);
    if (put == SOCKET_ERROR) return failure(::WSAGetLastError());
    result.status = IoStatus::Ok;
    result.bytes = static_cast<std::size_t>(put);
    return result;
}

SocketHandle udpSocket(const Ipv4Endpoint* local, int* error) {
    SOCKET socket = openSocket(SOCK_DGRAM, local, false, error);
    return socket == INVALID_SOCKET ? kInvalidSocket : static_cast<SocketHandle>(socket);
}

IoResult sendDatagram(SocketHandle socket, const Ipv4Endpoint& remote, const void* data, std::size_t size) {
    sockaddr_in address = toSockaddr(remote);
    int put = ::sendto(static_cast<SOCKET>(socket), static_cast<const char*>(data), clampToInt(size), 0,
                       reinterpret_cast<const sockaddr*>(&address), sizeof address);
    IoResult result;
    if (put == SOCKET_ERROR) {
        result.error = ::WSAGetLastError();
        result.status = result.error == WSAEWOULDBLOCK ? IoStatus::WouldBlock : IoStatus::Error;
        return result;
    }
    result.status = IoStatus::Ok;
    result.bytes = static_cast<std::size_t>(put);
    return result;
}

bool setNoDelay(SocketHandle socket) {
    BOOL on = TRUE;
    return ::setsockopt(static_cast<SOCKET>(socket), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
                        sizeof on) == 0;
}

bool noDelay(SocketHandle socket) {
    BOOL on = FALSE;
    int length = sizeof on;
    return ::getsockopt(static_cast<SOCKET>(socket), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<char*>(&on), &length) ==
               0 &&
           on != FALSE;
}

// Windows offers no per-socket switch for it.
bool setQuickAck(SocketHandle) { return false; }

void closeSocket(SocketHandle socket) {
    if (socket != kInvalidSocket) ::closesocket(static_cast<SOCKET>(socket));
}

Ipv4Endpoint localEndpoint(SocketHandle socket) {
    sockaddr_in address{};
    int length = sizeof address;
    if (::getsockname(static_cast<SOCKET>(socket), reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        address.sin_family != AF_INET) {
        return Ipv4Endpoint{};
    }
    return fromSockaddr(address);
}

bool resolveIpv4(const std::string& host, std::uint32_t* address) {
    if (host.empty() || address == nullptr) return false;
    ensureWinsock();
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
    ensureWinsock();
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

}  // namespace tvr::platform
