// SPDX-License-Identifier: MIT
#pragma once
// A raw HTTP/1.1 client on loopback for the video server tests: sends request bytes exactly as
// written and reads replies with a bounded deadline, so tests see what went over the wire.
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/poll.h"
#include "platform/socket.h"
#include "support/narrow_connection.h"

namespace tvr::test {

inline constexpr std::uint32_t kLoopback = 0x7F000001;       // 127.0.0.1
inline constexpr std::uint32_t kOtherLoopback = 0x7F000002;  // 127.0.0.2

/// One reply: the header block as received, its parsed fields and the body.
struct HttpReply {
    std::string head;
    int status = 0;
    std::map<std::string, std::string> fields;
    std::string body;
    /// The field's value; empty when absent.
    std::string field(const std::string& name) const {
        auto found = fields.find(name);
        return found == fields.end() ? std::string() : found->second;
    }
};

class RawHttpClient {
public:
    RawHttpClient() = default;
    ~RawHttpClient() { close(); }
    RawHttpClient(const RawHttpClient&) = delete;
    RawHttpClient& operator=(const RawHttpClient&) = delete;

    /// Connects to 127.0.0.1:port, from `fromAddress` when it is not 0.
    bool connect(std::uint16_t port, std::uint32_t fromAddress = 0) {
        platform::Ipv4Endpoint local{fromAddress, 0};
        socket_ = platform::tcpConnect({kLoopback, port}, 5000, fromAddress != 0 ? &local : nullptr);
        return socket_ != platform::kInvalidSocket;
    }

    /// Connects to 127.0.0.1:port over a connection the server can fill after about 100 KB.
    bool connectNarrow(std::uint16_t port) {
        socket_ = test::connectNarrow(port);
        return socket_ != platform::kInvalidSocket;
    }

    void close() {
        platform::closeSocket(socket_);
        socket_ = platform::kInvalidSocket;
    }

    /// Sends all bytes (waiting while the socket is full).
    bool send(std::string_view bytes) {
        while (!bytes.empty()) {
            platform::IoResult result = platform::sendSome(socket_, bytes.data(), bytes.size());
            if (result.status == platform::IoStatus::Ok) {
                bytes.remove_prefix(result.bytes);
            } else if (result.status != platform::IoStatus::WouldBlock || !waitFor(false, 5000)) {
                return false;
            }
        }
        return true;
    }

    /// Reads one reply; the body by its Content-Length unless withBody is false (HEAD).
    bool readReply(HttpReply* reply, bool withBody = true, int timeoutMs = 20000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        std::size_t end;
        while ((end = buffer_.find("\r\n\r\n")) == std::string::npos) {
            if (!receiveUntil(deadline)) return false;
        }
        *reply = HttpReply{};
        reply->head = buffer_.substr(0, end + 4);
        buffer_.erase(0, end + 4);
        parseHead(reply);
        if (!withBody) return true;
        std::size_t length = static_cast<std::size_t>(std::stoll("0" + reply->field("Content-Length")));
        while (buffer_.size() < length) {
            if (!receiveUntil(deadline)) return false;
        }
        reply->body = buffer_.substr(0, length);
        buffer_.erase(0, length);
        return true;
    }

    /// True when the server closes the connection within the time; data on the way is dropped.
    bool waitClosed(int timeoutMs) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (receiveUntil(deadline)) buffer_.clear();
        return closed_;
    }

    /// True when no byte arrives within the time.
    bool quietFor(int ms) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        return !receiveUntil(deadline) && !closed_ && buffer_.empty();
    }

    /// Receives until done(unread bytes) holds; false when the time runs out or the connection ends first.
    bool waitUnread(const std::function<bool(const std::string&)>& done, int timeoutMs) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done(buffer_)) {
            if (!receiveUntil(deadline)) return false;
        }
        return true;
    }

    /// Bytes received but not part of a reply read so far.
    const std::string& unread() const { return buffer_; }
    /// Every byte received on the connection so far, dropped ones included.
    std::uint64_t receivedTotal() const { return received_; }

private:
    bool waitFor(bool read, int ms) {
        platform::PollItem item;
        item.socket = socket_;
        item.wantRead = read;
        item.wantWrite = !read;
        return platform::pollSockets(&item, 1, ms, nullptr) > 0;
    }

    // Receives once before the deadline; false on time-out or when the connection ended.
    bool receiveUntil(std::chrono::steady_clock::time_point deadline) {
        char chunk[65536];
        for (;;) {
            platform::IoResult result = platform::recvSome(socket_, chunk, sizeof chunk);
            if (result.status == platform::IoStatus::Ok && result.bytes > 0) {
                buffer_.append(chunk, result.bytes);
                received_ += result.bytes;
                return true;
            }
            if (result.status != platform::IoStatus::WouldBlock) {
                closed_ = true;
                return false;
            }
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            waitFor(true, static_cast<int>(left.count()));
        }
    }

    static void parseHead(HttpReply* reply) {
        const std::string& head = reply->head;
        if (head.size() > 12 && head.starts_with("HTTP/1.1 ")) reply->status = std::stoi(head.substr(9, 3));
        std::size_t begin = head.find("\r\n") + 2;
        for (std::size_t end; (end = head.find("\r\n", begin)) != std::string::npos && end > begin; begin = end + 2) {
            std::string line = head.substr(begin, end - begin);
            std::size_t colon = line.find(": ");
            if (colon != std::string::npos) reply->fields[line.substr(0, colon)] = line.substr(colon + 2);
        }
    }

    platform::SocketHandle socket_ = platform::kInvalidSocket;
    std::string buffer_;
    std::uint64_t received_ = 0;
    bool closed_ = false;
};

}  // namespace tvr::test
