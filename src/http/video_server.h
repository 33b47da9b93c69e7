// SPDX-License-Identifier: MIT
#pragma once
// The video server: a small HTTP/1.1 server from which the headset's player fetches video
// files, whole or from a Range start, over two stream slots chosen by "stream=". It serves only
// the host of the authenticated control client, and only while it is: connections from other
// hosts are refused at once, and every connection belongs to the login it was accepted under,
// so its stream ends when that login does and never outlives it into the next one. While nobody
// is logged in, connections wait unaccepted, so a player reconnecting while its headset logs in
// anew is served once it has; after 30 s without a login they are answered 404 and closed. One server
// thread does all socket work and waits on socket readiness and on the slots' readers, so bytes
// go out as soon as they can. The front-end's calls never wait for that thread or the disk.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "core/access_gate.h"
#include "core/clock.h"
#include "core/worker_thread.h"
#include "http/http_connection.h"
#include "http/refusal_reason.h"
#include "http/stream_event.h"
#include "http/stream_slot.h"
#include "platform/sequential_reader.h"
#include "platform/socket.h"

namespace tvr::http {

/// A body going out now: its file, how far into it, and how much went out since the request.
struct StreamProgress {
    int slot = 0;
    std::u16string path;
    std::uint64_t position = 0;   // the file offset the body has reached
    std::uint64_t size = 0;       // the file's size
    std::uint64_t bytesSent = 0;  // since the request
    std::uint32_t elapsedMs = 0;  // since the request
};

class VideoServer {
public:
    static constexpr int kSlotCount = 2;
    /// How long connections wait for a login before they are answered 404.
    static constexpr std::uint32_t kLoginWaitMs = 30000;

    /// Starts the server thread, which stays idle until start; clock times the wait for a login.
    explicit VideoServer(core::Clock& clock = core::SystemClock::instance());
    /// Closes the server.
    ~VideoServer();
    VideoServer(const VideoServer&) = delete;
    VideoServer& operator=(const VideoServer&) = delete;

    /// Listens on port (0: any free port) at bindAddress (host order, 0: all) and serves what gate allows.
    bool start(std::uint16_t port, core::AccessGate* gate, std::uint32_t bindAddress = 0);
    /// Stops the threads, then closes every connection and file; there is no restart.
    void close();
    /// Ends the streams of that login and of every earlier one, and closes their files; never waits.
    void endLogin(std::uint64_t login);
    /// The port listened on (0 when not listening).
    std::uint16_t port() const { return port_; }
    /// True while the slot holds an open file.
    bool slotHasOpenFile(int slot) const;
    /// The read mode files are opened with from now on (buffered with a sequential hint by default).
    void setReadMode(platform::ReadMode mode);
    /// The read mode of the slot's open file.
    platform::ReadMode slotReadMode(int slot) const;
    /// The stream events since the last call, oldest first (thread-safe).
    std::vector<StreamEvent> takeEvents();
    /// The bodies going out now, by slot, as the last pass left them (thread-safe; never waits).
    std::vector<StreamProgress> streamsInProgress() const;

private:
    // The body going out on a slot's connection, for its End event.
    struct Body {
        bool active = false;
        std::u16string path;
        std::uint64_t start = 0;  // the file offset it began at
        std::uint64_t length = 0;
        std::uint64_t sent = 0;
        std::uint32_t startMs = 0;
    };

    struct Slot {
        int index = 0;
        std::unique_ptr<StreamSlot> stream;
        std::unique_ptr<HttpConnection> connection;
        std::uint64_t fileLogin = 0;  // the login the open file was requested under
        Body body;
    };

    std::int32_t pass();
    void endLoginsStep();
    void acceptStep();
    void awaitLoginStep();
    void pendingStep();
    void slotStep(int index);
    void sendStep(Slot& slot);
    void serveBlocks(int index);
    void serveGet(Slot& slot, const HttpRequest& request);
    void answerHead(HttpConnection& connection, const HttpRequest& request);
    bool clientAllowed(const HttpConnection& connection) const;
    RefusalReason clientRefusal(const HttpConnection& connection) const;
    RefusalReason requestRefusal(const HttpConnection& connection, const HttpRequest& request) const;
    static RefusalReason openRefusal(std::u16string_view path);
    void closeSlotConnection(Slot& slot);
    void recordRequest(int slot, const HttpRequest& request, int statusCode,
                       RefusalReason reason = RefusalReason::None);
    void endBody(Slot& slot);
    void showBody(const Slot& slot);
    std::size_t collectPollItems(platform::PollItem* items, std::size_t capacity);

    core::Clock& clock_;
    mutable std::mutex mutex_;  // held for each whole pass
    core::WorkerThread thread_;
    bool socketsStarted_ = false;
    bool running_ = false;
    bool closed_ = false;
    core::AccessGate* gate_ = nullptr;
    platform::SocketHandle listener_ = platform::kInvalidSocket;
    std::atomic<std::uint16_t> port_{0};
    std::atomic<std::uint64_t> endedLogin_{0};  // this login and every earlier one are over
    bool loginAwaited_ = false;                 // connections wait in the backlog for a login
    std::uint32_t awaitedSinceMs_ = 0;
    // Buffered reads with a sequential hint kept pace with nginx on Linux where unbuffered reads did not.
    platform::ReadMode readMode_ = platform::ReadMode::Buffered;
    std::vector<std::unique_ptr<HttpConnection>> pending_;
    std::array<Slot, kSlotCount> slots_;
    StreamEventQueue events_;
    mutable std::mutex shownMutex_;             // guards shownBodies_ alone, never held while waiting
    std::array<Body, kSlotCount> shownBodies_;  // each slot's body as the last pass left it
};

}  // namespace tvr::http
