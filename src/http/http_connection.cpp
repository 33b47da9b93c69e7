// SPDX-License-Identifier: MIT
#include "http/http_connection.h"

#include <algorithm>

namespace tvr::http {

namespace {

// Size of one receive, as the headset's requests have always been read.
constexpr std::size_t kReceiveSize = 4096;
// Body bytes sent in one call with a queued header: the first block read after a seek.
constexpr std::size_t kJoinedBodyBytes = 0x4000;

}  // namespace

HttpConnection::HttpConnection(platform::SocketHandle socket, std::uint32_t peerAddress, std::uint64_t login)
    : socket_(socket), peer_(peerAddress), login_(login) {}

HttpConnection::~HttpConnection() { platform::closeSocket(socket_); }

HttpConnection::Received HttpConnection::receive() {
    char buffer[kReceiveSize];
    platform::IoResult result = platform::recvSome(socket_, buffer, sizeof buffer);
    switch (result.status) {
        case platform::IoStatus::Ok:
            if (result.bytes == 0) return Received::Ended;
            gatherer_.append(std::string_view(buffer, result.bytes));
            return Received::Data;
        case platform::IoStatus::WouldBlock:
            return Received::Nothing;
        default:
            return Received::Ended;
    }
}

void HttpConnection::queue(const std::string& bytes) {
    if (output_.size() + bytes.size() > kMaxQueued) {
        overflowed_ = true;
        return;
    }
    output_ += bytes;
}

bool HttpConnection::flush() {
    if (overflowed_) return false;
    while (!output_.empty()) {
        std::int64_t sent = sendRaw(output_.data(), output_.size());
        if (sent < 0) return false;
        if (sent == 0) return true;
        output_.erase(0, static_cast<std::size_t>(sent));
    }
    return true;
}

std::int64_t HttpConnection::sendBody(const char* data, std::size_t size) {
    if (overflowed_) return -1;
    if (output_.empty()) return sendRaw(data, size);
    // The header and the first body bytes leave in one segment, so the player's first body byte
    // does not wait for a second send and a second segment.
    std::size_t head = output_.size();
    output_.append(data, std::min(size, kJoinedBodyBytes));
    std::int64_t sent = sendRaw(output_.data(), output_.size());
    output_.resize(head);
    if (sent < 0) return -1;
    auto taken = static_cast<std::size_t>(sent);
    if (taken <= head) {
        output_.erase(0, taken);
        return 0;
    }
    output_.clear();
    return static_cast<std::int64_t>(taken - head);
}

std::int64_t HttpConnection::sendRaw(const char* data, std::size_t size) {
    platform::IoResult result = platform::sendSome(socket_, data, size);
    switch (result.status) {
        case platform::IoStatus::Ok:
            // A send that takes nothing from a non-empty buffer means the connection is gone.
            return result.bytes > 0 || size == 0 ? static_cast<std::int64_t>(result.bytes) : -1;
        case platform::IoStatus::WouldBlock:
            return 0;
        default:
            return -1;
    }
}

}  // namespace tvr::http
