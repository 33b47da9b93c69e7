// SPDX-License-Identifier: MIT
#include "ui/web/web_server.h"

#include <algorithm>

#include "platform/time.h"

namespace tvr::ui::web {
namespace {

std::string_view reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 303:
            return "See Other";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 413:
            return "Content Too Large";
        case 503:
            return "Service Unavailable";
        default:
            return "Error";
    }
}

// Every answer: nothing kept by a cache, no script, style or frame from elsewhere, no address
// told to another site. The referrer stays on for this origin: a browser whose policy sends no
// referrer at all also sends "Origin: null" with the sign-in form, which the origin check refuses.
std::string head(const WebResponse& response) {
    std::string out =
        "HTTP/1.1 " + std::to_string(response.status) + " " + std::string(reason(response.status)) +
        "\r\nContent-Type: " + response.contentType +
        "\r\nCache-Control: no-store"
        "\r\nContent-Security-Policy: default-src 'self'; frame-ancestors 'none'; base-uri 'none'; "
        "form-action 'self'"
        "\r\nX-Content-Type-Options: nosniff\r\nX-Frame-Options: DENY\r\nReferrer-Policy: same-origin\r\n";
    for (const std::string& line : response.headers) out += line + "\r\n";
    if (response.eventStream) return out + "Connection: keep-alive\r\n\r\n";
    return out + "Content-Length: " + std::to_string(response.body.size()) + "\r\nConnection: close\r\n\r\n";
}

}  // namespace

struct WebServer::Connection {
    platform::SocketHandle socket = platform::kInvalidSocket;
    bool fromLoopback = false;
    std::uint32_t startMs = 0;
    std::string in;
    WebRequest request;
    std::size_t headSize = 0;
    bool headRead = false;
    std::string out;
    std::size_t sent = 0;
    bool answered = false;
    bool eventStream = false;
    std::uint64_t nextEvent = 0;
    bool done = false;  // close once out is sent
    bool closing = false;
};

WebServer::WebServer(WebApi& api) : api_(api) { platform::socketsStartup(); }

WebServer::~WebServer() {
    stop();
    platform::socketsCleanup();
}

bool WebServer::start(std::uint32_t address, std::uint16_t port) {
    listener_ = platform::tcpListen({address, port}, static_cast<int>(kMaxConnections));
    if (listener_ == platform::kInvalidSocket) return false;
    port_ = platform::localEndpoint(listener_).port;
    thread_ = std::thread([this] { run(); });
    return true;
}

void WebServer::eventsAdded() {
    eventsPending_ = true;
    waker_.wake();
}

void WebServer::stop() {
    stopping_ = true;
    waker_.wake();
    if (thread_.joinable()) thread_.join();
    for (auto& connection : connections_) platform::closeSocket(connection->socket);
    connections_.clear();
    platform::closeSocket(listener_);
    listener_ = platform::kInvalidSocket;
}

int WebServer::waitMs() const {
    // Only a request under way has a deadline; event streams and an empty server wait for ever.
    int wait = -1;
    std::uint32_t now = platform::monotonicMs();
    for (const auto& connection : connections_) {
        if (connection->eventStream && connection->sent == connection->out.size()) continue;
        std::uint32_t limit = connection->answered ? kAnswerWaitMs : kRequestWaitMs;
        std::uint32_t spent = now - connection->startMs;
        int left = spent >= limit ? 0 : static_cast<int>(limit - spent);
        wait = wait < 0 ? left : std::min(wait, left);
    }
    return wait;
}

void WebServer::run() {
    while (!stopping_) {
        std::vector<platform::PollItem> items(connections_.size() + 1);
        items[0].socket = listener_;
        items[0].wantRead = connections_.size() < kMaxConnections;
        for (std::size_t i = 0; i < connections_.size(); ++i) {
            Connection& connection = *connections_[i];
            items[i + 1].socket = connection.socket;
            items[i + 1].wantRead = true;
            items[i + 1].wantWrite = connection.sent < connection.out.size();
        }
        platform::pollSockets(items.data(), items.size(), waitMs(), &waker_);
        if (stopping_) break;
        if (items[0].readable) accept();
        std::uint32_t now = platform::monotonicMs();
        for (std::size_t i = 0; i < connections_.size() && i + 1 < items.size(); ++i) {
            Connection& connection = *connections_[i];
            if (items[i + 1].failed) connection.closing = true;
            if (items[i + 1].readable && !connection.closing) receive(connection);
            if (!connection.closing && !connection.answered && connection.headRead &&
                connection.in.size() >= connection.headSize + connection.request.contentLength)
                answer(connection);
            if (!connection.closing && connection.sent < connection.out.size()) send(connection);
            bool idleStream = connection.eventStream && connection.sent == connection.out.size();
            std::uint32_t limit = connection.answered ? kAnswerWaitMs : kRequestWaitMs;
            if (!idleStream && now - connection.startMs >= limit) connection.closing = true;
            if (connection.done && connection.sent == connection.out.size()) connection.closing = true;
        }
        if (eventsPending_.exchange(false)) feedEventStreams();
        std::erase_if(connections_, [](const std::unique_ptr<Connection>& connection) {
            if (connection->closing) platform::closeSocket(connection->socket);
            return connection->closing;
        });
    }
}

void WebServer::accept() {
    while (connections_.size() < kMaxConnections) {
        platform::Ipv4Endpoint peer;
        platform::SocketHandle socket = platform::tcpAccept(listener_, &peer);
        if (socket == platform::kInvalidSocket) return;
        auto connection = std::make_unique<Connection>();
        connection->socket = socket;
        connection->fromLoopback = (peer.address >> 24) == 127;
        connection->startMs = platform::monotonicMs();
        connections_.push_back(std::move(connection));
    }
}

void WebServer::receive(Connection& connection) {
    char buffer[4096];
    for (;;) {
        platform::IoResult result = platform::recvSome(connection.socket, buffer, sizeof buffer);
        if (result.status == platform::IoStatus::WouldBlock) break;
        if (result.status != platform::IoStatus::Ok) {
            connection.closing = true;
            return;
        }
        // One request per connection: bytes after the answer began are not kept.
        if (connection.answered) continue;
        connection.in.append(buffer, result.bytes);
        if (connection.in.size() > kMaxHead + kMaxBody) {
            connection.closing = true;
            return;
        }
    }
    if (connection.headRead || connection.answered) return;
    switch (parseHead(connection.in, &connection.request, &connection.headSize)) {
        case HeadState::NeedMore:
            return;
        case HeadState::Complete:
            connection.headRead = true;
            return;
        case HeadState::TooLarge: {
            WebResponse refusal;
            refusal.status = 413;
            connection.out = head(refusal);
            break;
        }
        case HeadState::Bad: {
            WebResponse refusal;
            refusal.status = 400;
            connection.out = head(refusal);
            break;
        }
    }
    connection.answered = true;
    connection.done = true;
}

void WebServer::answer(Connection& connection) {
    connection.request.body = connection.in.substr(connection.headSize, connection.request.contentLength);
    connection.request.fromLoopback = connection.fromLoopback;
    connection.in.clear();
    connection.answered = true;
    WebResponse response = api_.handle(connection.request);
    if (response.eventStream) {
        std::size_t streams =
            std::count_if(connections_.begin(), connections_.end(),
                          [](const std::unique_ptr<Connection>& other) { return other->eventStream; });
        if (streams >= kMaxEventStreams) {
            response = WebResponse();
            response.status = 503;
            response.body = "{\"error\":\"too many event streams\"}";
        }
    }
    connection.out = head(response);
    if (response.eventStream) {
        connection.eventStream = true;
        connection.out += api_.eventsSince(0, &connection.nextEvent);
    } else {
        connection.out += response.body;
        connection.done = true;
    }
}

void WebServer::send(Connection& connection) {
    while (connection.sent < connection.out.size()) {
        platform::IoResult result = platform::sendSome(connection.socket, connection.out.data() + connection.sent,
                                                       connection.out.size() - connection.sent);
        if (result.status == platform::IoStatus::WouldBlock) break;
        if (result.status != platform::IoStatus::Ok) {
            connection.closing = true;
            return;
        }
        connection.sent += result.bytes;
    }
    if (connection.sent == connection.out.size()) {
        connection.out.clear();
        connection.sent = 0;
    }
}

void WebServer::feedEventStreams() {
    for (auto& connection : connections_) {
        if (!connection->eventStream || connection->closing) continue;
        connection->out += api_.eventsSince(connection->nextEvent, &connection->nextEvent);
        // A browser that stops reading is dropped rather than kept in memory.
        if (connection->out.size() - connection->sent > kMaxQueuedEventBytes) {
            connection->closing = true;
            continue;
        }
        // The stream's deadline runs from when it has something to send.
        connection->startMs = platform::monotonicMs();
        send(*connection);
    }
}

}  // namespace tvr::ui::web
