// SPDX-License-Identifier: MIT
#pragma once
// The headset's side of the mouse relay in tests: a UDP socket on loopback that hands out each
// datagram as it arrives.
#include <optional>
#include <string>

#include "platform/poll.h"
#include "platform/socket.h"

namespace tvr::test {

class UdpReceiver {
public:
    /// Listens on the loopback address and port given (0: any free port).
    explicit UdpReceiver(std::uint32_t address = 0x7F000001, std::uint16_t port = 0) {
        platform::Ipv4Endpoint local{address, port};
        socket_ = platform::udpSocket(&local);
        port_ = platform::localEndpoint(socket_).port;
    }
    ~UdpReceiver() { platform::closeSocket(socket_); }
    UdpReceiver(const UdpReceiver&) = delete;
    UdpReceiver& operator=(const UdpReceiver&) = delete;

    std::uint16_t port() const { return port_; }

    /// The next datagram, waiting up to timeoutMs; nothing when none came.
    std::optional<std::string> next(int timeoutMs = 5000) {
        char buffer[512];
        platform::IoResult got = platform::recvSome(socket_, buffer, sizeof buffer);
        if (got.status == platform::IoStatus::WouldBlock) {
            platform::PollItem item{socket_, true};
            if (platform::pollSockets(&item, 1, timeoutMs, nullptr) <= 0) return std::nullopt;
            got = platform::recvSome(socket_, buffer, sizeof buffer);
        }
        if (got.status != platform::IoStatus::Ok) return std::nullopt;
        return std::string(buffer, got.bytes);
    }

private:
    platform::SocketHandle socket_ = platform::kInvalidSocket;
    std::uint16_t port_ = 0;
};

}  // namespace tvr::test
