// SPDX-License-Identifier: MIT
#pragma once
// IPv4 TCP sockets and UDP datagrams. Every socket handed out is non-blocking unless said otherwise;
// would-block is told apart from errors and a closed peer, and sending never raises SIGPIPE.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tvr::platform {

using SocketHandle = std::intptr_t;
inline constexpr SocketHandle kInvalidSocket = -1;

/// An IPv4 endpoint in host byte order (address 0 means any).
struct Ipv4Endpoint {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
};

enum class IoStatus { Ok, WouldBlock, Closed, Error };

/// Outcome of one send or receive call.
struct IoResult {
    IoStatus status = IoStatus::Error;
    std::size_t bytes = 0;
    int error = 0;
};

/// Starts the socket library (Winsock); a no-op elsewhere. Balanced by socketsCleanup.
bool socketsStartup();
/// Releases one socketsStartup.
void socketsCleanup();

/// Creates a non-blocking listening socket bound to `local` (address 0: all); error set on failure.
SocketHandle tcpListen(const Ipv4Endpoint& local, int backlog, int* error = nullptr);
/// Accepts one pending connection without waiting; kInvalidSocket when none is waiting.
SocketHandle tcpAccept(SocketHandle listener, Ipv4Endpoint* peer);
/// Connects (blocking, bounded by timeoutMs) and returns a non-blocking socket, optionally bound first.
SocketHandle tcpConnect(const Ipv4Endpoint& remote, int timeoutMs, const Ipv4Endpoint* bindLocal = nullptr,
                        int* error = nullptr);
/// Receives what is available, at most `size` bytes.
IoResult recvSome(SocketHandle socket, void* buffer, std::size_t size);
/// Sends as much of the bytes as the socket takes now.
IoResult sendSome(SocketHandle socket, const void* data, std::size_t size);
/// Creates a non-blocking UDP socket, bound to `local` when given; error set on failure.
SocketHandle udpSocket(const Ipv4Endpoint* local = nullptr, int* error = nullptr);
/// Sends one datagram to `remote` in one call; the whole datagram leaves or none of it.
IoResult sendDatagram(SocketHandle socket, const Ipv4Endpoint& remote, const void* data, std::size_t size);
/// True when the peer has closed its side or the connection failed; reads nothing and never
/// waits, so a long piece of work can ask whether anyone still waits for its answer.
bool peerHasLeft(SocketHandle socket);
/// Sends every write at once instead of holding a small one back until the peer has acknowledged
/// the last (TCP_NODELAY); false when the option cannot be set.
bool setNoDelay(SocketHandle socket);
/// True when the socket sends every write at once (TCP_NODELAY is set).
bool noDelay(SocketHandle socket);
/// Acknowledges what arrives at once instead of delaying it (Linux TCP_QUICKACK, which the stack
/// may drop again, so callers set it after every read); false where the option does not exist.
bool setQuickAck(SocketHandle socket);
/// Closes the socket; kInvalidSocket is ignored.
void closeSocket(SocketHandle socket);
/// The local endpoint of a bound socket (port 0 when unknown).
Ipv4Endpoint localEndpoint(SocketHandle socket);
/// Parses a dotted quad or looks a host name up; false when neither works.
bool resolveIpv4(const std::string& host, std::uint32_t* address);
/// The computer's host name; empty when it cannot be had.
std::string hostName();
/// The IPv4 addresses of the network interfaces that are up, loopback left out (host order).
std::vector<std::uint32_t> lanIpv4Addresses();
/// Formats an address as "%d.%d.%d.%d".
std::string formatIpv4(std::uint32_t address);

}  // namespace tvr::platform
