// SPDX-License-Identifier: MIT
#pragma once
#include <functional>
#include <string>
#include <thread>

#include "platform/poll.h"
#include "platform/socket.h"

namespace tvr::test {

// Accepts one connection on loopback, records the request and sends the canned answer in two
// parts. Like the video server it can keep the connection open after the answer until the client
// closes it.
class OnePeer {
public:
    /// onRequest runs on the peer's thread once the request has arrived, before the answer.
    OnePeer(std::string answer, bool keepOpen, std::function<void()> onRequest = {})
        : answer_(std::move(answer)), keepOpen_(keepOpen), onRequest_(std::move(onRequest)) {
        listener_ = platform::tcpListen({0x7F000001, 0}, 1);
        port_ = platform::localEndpoint(listener_).port;
        thread_ = std::thread([this] { serve(); });
    }
    ~OnePeer() {
        finish();
        platform::closeSocket(listener_);
    }
    std::uint16_t port() const { return port_; }
    /// Waits for the peer to end and returns the request it received.
    const std::string& finish() {
        if (thread_.joinable()) thread_.join();
        return request_;
    }

private:
    static bool waitFor(platform::SocketHandle socket, bool write) {
        platform::PollItem item{socket, !write, write};
        return platform::pollSockets(&item, 1, 10000, nullptr) == 1;
    }
    void serve() {
        if (!waitFor(listener_, false)) return;
        platform::Ipv4Endpoint peer;
        platform::SocketHandle socket = platform::tcpAccept(listener_, &peer);
        char buffer[4096];
        while (request_.find("\r\n\r\n") == std::string::npos && waitFor(socket, false)) {
            platform::IoResult result = platform::recvSome(socket, buffer, sizeof buffer);
            if (result.status != platform::IoStatus::Ok) break;
            request_.append(buffer, result.bytes);
        }
        if (onRequest_) onRequest_();
        std::string_view whole = answer_;
        for (std::string_view part : {whole.substr(0, whole.size() / 2), whole.substr(whole.size() / 2)}) {
            while (!part.empty() && waitFor(socket, true)) {
                platform::IoResult result = platform::sendSome(socket, part.data(), part.size());
                if (result.status != platform::IoStatus::Ok) break;
                part.remove_prefix(result.bytes);
            }
        }
        while (keepOpen_ && waitFor(socket, false) &&
               platform::recvSome(socket, buffer, sizeof buffer).status == platform::IoStatus::Ok) {
        }
        platform::closeSocket(socket);
    }

    std::string answer_;
    bool keepOpen_;
    std::function<void()> onRequest_;
    platform::SocketHandle listener_ = platform::kInvalidSocket;
    std::uint16_t port_ = 0;
    std::string request_;
    std::thread thread_;
};

}  // namespace tvr::test
