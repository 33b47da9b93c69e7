// SPDX-License-Identifier: MIT
#pragma once
// The web page's HTTP side: one thread, a listening socket, at most kMaxConnections browsers'
// connections. Each connection sends one request within kRequestWaitMs and gets one answer; an
// event stream stays open and is written whenever the model adds events. The thread sleeps in
// poll without a time-out while no request is under way, so an idle server costs nothing.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/poll.h"
#include "platform/socket.h"
#include "ui/web/web_api.h"

namespace tvr::ui::web {

class WebServer {
public:
    static constexpr std::size_t kMaxConnections = 16;
    static constexpr std::size_t kMaxEventStreams = 4;
    static constexpr std::uint32_t kRequestWaitMs = 10000;        // to send a whole request
    static constexpr std::uint32_t kAnswerWaitMs = 30000;         // to take a whole answer
    static constexpr std::size_t kMaxQueuedEventBytes = 1 << 20;  // an event stream not read

    explicit WebServer(WebApi& api);
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    /// Listens on address:port (port 0: any) and starts the thread; false when it cannot listen.
    bool start(std::uint32_t address, std::uint16_t port);
    /// The port listened on.
    std::uint16_t port() const { return port_; }
    /// Events were added: the event streams get them. Any thread, never waits.
    void eventsAdded();
    /// Closes every connection and ends the thread.
    void stop();

private:
    struct Connection;
    void run();
    void accept();
    void receive(Connection& connection);
    void answer(Connection& connection);
    void send(Connection& connection);
    void feedEventStreams();
    int waitMs() const;

    WebApi& api_;
    platform::SocketHandle listener_ = platform::kInvalidSocket;
    std::uint16_t port_ = 0;
    platform::Waker waker_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> eventsPending_{false};
    std::vector<std::unique_ptr<Connection>> connections_;
    std::thread thread_;
};

}  // namespace tvr::ui::web
