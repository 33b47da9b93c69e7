// SPDX-License-Identifier: MIT
#pragma once
// One accepted connection of the video server: its socket, the peer's address, the login it was
// accepted under, the bytes of a request still being gathered and the header bytes still to be
// sent. The queued bytes have a cap, so a peer that sends requests and never reads cannot make
// the server hold its answers without bound.
#include <cstdint>
#include <string>

#include "http/http_request.h"
#include "platform/socket.h"

namespace tvr::http {

class HttpConnection {
public:
    /// Queued header bytes beyond this close the connection: a few headers' worth.
    static constexpr std::size_t kMaxQueued = 0x4000;

    /// Takes ownership of an accepted non-blocking socket from peerAddress, accepted under login.
    HttpConnection(platform::SocketHandle socket, std::uint32_t peerAddress, std::uint64_t login);
    /// Closes the socket.
    ~HttpConnection();
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    enum class Received { Data, Nothing, Ended };
    /// Receives what has arrived into the gatherer; Ended when the peer closed or the socket failed.
    Received receive();
    /// Queues header bytes to go out before any body byte; past the cap the connection has failed.
    void queue(const std::string& bytes);
    /// Sends queued bytes while the socket takes them; false when the connection failed.
    bool flush();
    /// True when queued bytes are still waiting.
    bool hasQueued() const { return !output_.empty(); }
    /// Sends body bytes once, joined to any queued header; body bytes sent (0: socket full), -1 when it failed.
    std::int64_t sendBody(const char* data, std::size_t size);

    platform::SocketHandle socket() const { return socket_; }
    std::uint32_t peerAddress() const { return peer_; }
    std::uint64_t login() const { return login_; }
    RequestGatherer& gatherer() { return gatherer_; }

private:
    std::int64_t sendRaw(const char* data, std::size_t size);

    platform::SocketHandle socket_;
    std::uint32_t peer_;
    std::uint64_t login_;
    RequestGatherer gatherer_;
    std::string output_;
    bool overflowed_ = false;
};

}  // namespace tvr::http
