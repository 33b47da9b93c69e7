// SPDX-License-Identifier: MIT
// IPv4 UDP datagrams on Winsock 2: non-blocking through FIONBIO, not inherited by child processes.
#include <winsock2.h>
#include <ws2tcpip.h>

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
    // Winsock is started once per process by the first socket user; a relay may be the first.
    static const bool started = socketsStartup();
    (void)started;
    SOCKET socket = ::WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    bool ok = socket != INVALID_SOCKET;
    u_long on = 1;
    ok = ok && ::ioctlsocket(socket, FIONBIO, &on) == 0;
    if (ok && local != nullptr) {
        sockaddr_in address = toSockaddr(*local);
        ok = ::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    if (!ok) {
        int code = ::WSAGetLastError();
        if (socket != INVALID_SOCKET) ::closesocket(socket);
        if (error != nullptr) *error = code != 0 ? code : WSAEINVAL;
        return kInvalidSocket;
    }
    return static_cast<SocketHandle>(socket);
}

IoResult sendDatagram(SocketHandle socket, const Ipv4Endpoint& remote, const void* data, std::size_t size) {
    sockaddr_in address = toSockaddr(remote);
    int length = size > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(size);
    int put = ::sendto(static_cast<SOCKET>(socket), static_cast<const char*>(data), length, 0,
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

}  // namespace tvr::platform
