// SPDX-License-Identifier: MIT
#include "protocol/control_server.h"

#include <algorithm>

#include "core/paths.h"
#include "core/text.h"
#include "platform/poll.h"
#include "platform/time.h"
#include "protocol/status_codes.h"

namespace tvr::protocol {

namespace {

constexpr std::uint32_t kPassWithClientMs = 20;
constexpr std::uint32_t kIdlePassMs = 100;
constexpr std::uint32_t kSendRetryMs = 100;
// How often a long answer looks at the stop request and the socket: well inside the second in
// which a new headset expects its handshake reply.
constexpr std::uint32_t kAbandonProbeMs = 20;
// Ticks are compared by unsigned 32-bit subtraction, so a time-out must stay below half the range.
constexpr std::int64_t kLongestTimeoutMs = 0x7FFFFFFF;

}  // namespace

ControlServer::ControlServer(core::Clock& clock, core::CommandQueue* frontEnd, library::LibraryState& library)
    : clock_(clock),
      frontEnd_(frontEnd),
      library_(library),
      send_([this](const std::uint8_t* data, std::size_t size) { return transmit(data, size); }) {
    platform::socketsStartup();
    if (!thread_.start([this] { return loopPass(); })) teardown();
}

ControlServer::~ControlServer() {
    search_.reset();  // cancels and joins a running search before anything it reads goes
    thread_.stop();
    teardown();
    log_.close();
    platform::socketsCleanup();
}

std::int32_t ControlServer::loopPass() {
    platform::PollItem item;
    bool hasClient = false;
    bool packetWaiting = false;
    if (listening_) {
        applyPending();
        poll();
        hasClient = session_.connected;
        item.socket = hasClient ? client_ : listener_;
        item.wantRead = true;
        packetWaiting = hasClient && reader_.state() == FrameState::Ready;
    }
    // A further packet may already sit in the buffer: then the next pass runs at once.
    std::uint32_t wait = packetWaiting ? 0 : (hasClient ? kPassWithClientMs : kIdlePassMs);
    if (item.socket != platform::kInvalidSocket && wait > 0) {
        thread_.waitSockets(&item, 1, wait);
    } else if (wait > 0) {
        thread_.sleepFor(wait);
    }
    return 1;
}

bool ControlServer::startListening(std::uint16_t port, const core::Config& config, std::uint32_t bindAddress) {
    listener_ = platform::tcpListen({bindAddress, port}, 1);
    if (listener_ == platform::kInvalidSocket) {
        teardown();
        return false;
    }
    port_ = platform::localEndpoint(listener_).port;
    applyNow(config);  // the thread is idle until listening_ is set
    session_.endConnection();
    postStatus(status::kNone, u"", u"");
    postStatus(status::kWaiting, status::kWaitingText, u"");
    listening_ = true;
    thread_.wake();
    return true;
}

void ControlServer::applySettings(const core::Config& config) {
    {
        std::lock_guard guard(pendingMutex_);
        pendingConfig_ = config;
    }
    thread_.wake();
}

void ControlServer::watchLogins(std::function<void()> onLogin) {
    std::lock_guard guard(pendingMutex_);
    onLogin_ = std::move(onLogin);
}

void ControlServer::applyPending() {
    std::optional<core::Config> config;
    {
        std::lock_guard guard(pendingMutex_);
        config.swap(pendingConfig_);
    }
    if (config) applyNow(*config);
}

void ControlServer::applyNow(const core::Config& config) {
    config_ = config;
    library_.apply(config_);
    std::int64_t timeoutMs = std::int64_t{std::max(config_.liveTimeoutSec, 0)} * 1000;
    liveTimeoutMs_ = static_cast<std::uint32_t>(std::min(timeoutMs, kLongestTimeoutMs));
    if (session_.suspended) {
        session_.suspended = false;
        session_.suspendChanged = true;
    }
    if (log_.isOpen() && config_.serverLog == 0) log_.close();
    if (!log_.isOpen() && config_.serverLog == 1) log_.open(core::ServerLog::pathIn(core::executableFolder()));
}

bool ControlServer::takeStatus(StatusSlot* status) {
    status_.take(status);
    return true;
}

void ControlServer::postStatus(std::int32_t code, std::u16string_view text1, std::u16string_view text2) {
    status_.post(code, text1, text2);
}

void ControlServer::postWaitingIfIdle() {
    status_.postIf([this] { return !session_.connected; }, status::kWaiting, status::kWaitingText, u"");
}

void ControlServer::requestForceDisconnect() {
    forceDisconnect_ = true;
    thread_.wake();
}

void ControlServer::teardown() {
    listening_ = false;
    if (client_ != platform::kInvalidSocket) send_.flush();
    send_.reset();
    disconnect(status::kReasonRelease);
    platform::closeSocket(listener_);
    listener_ = platform::kInvalidSocket;
    log_.write(u"SHUTDOWN");
    log_.close();
}

std::u16string ControlServer::addressText() const {
    if (!session_.connected) return status::kNoAddress;
    return platform::fromAscii(platform::formatIpv4(session_.clientAddress));
}

HandlerContext ControlServer::context() {
    // A long copy of a moved video asks this between blocks, so a stop need not wait for it.
    auto stopping = [this] { return thread_.stopRequested(); };
    return HandlerContext{config_, library_, *this, status_, frontEnd_, clock_, log_, session_, search_, stopping};
}

void ControlServer::connectionSetup(platform::SocketHandle socket, const platform::Ipv4Endpoint& peer) {
    client_ = socket;
    forceDisconnect_ = false;
    abandoned_ = false;
    reader_.reset();
    send_.reset();
    // The address is in place before the board's lock is taken, so postWaitingIfIdle sees the
    // connection or posts before this status.
    session_.startConnection(peer.address);
    postStatus(status::kConnected, status::kConnectedText, addressText());
}

void ControlServer::disconnect(std::u16string_view reason) {
    // The headset's word-list changes outlive the connection; saved before the status goes out,
    // so whoever sees the disconnect finds the file written. A failed save leaves the list
    // marked changed for the next try.
    if (library_.wordList().isModified()) library_.wordList().saveWordList();
    // Nobody is left to read a running search's rows; its walk may be of a whole disk.
    if (search_) search_->requestCancel();
    if (client_ != platform::kInvalidSocket) {
        platform::closeSocket(client_);
        client_ = platform::kInvalidSocket;
        postStatus(status::kDisconnected, core::format(status::kDisconnectedFormat, {reason}), addressText());
    }
    forceDisconnect_ = false;
    session_.endConnection();
    reader_.reset();
    log_.flush();
}

bool ControlServer::transmit(const std::uint8_t* data, std::size_t size) {
    if (client_ == platform::kInvalidSocket) return false;
    // A real-time bound for the whole packet, not for each partial send: a headset that reads a
    // few bytes now and then must not hold the control thread.
    std::uint32_t start = platform::monotonicMs();
    std::size_t sent = 0;
    while (sent < size) {
        platform::IoResult result = platform::sendSome(client_, data + sent, size - sent);
        if (result.status == platform::IoStatus::Ok) {
            sent += result.bytes;
            continue;
        }
        if (result.status != platform::IoStatus::WouldBlock) return false;  // the receive step reports it
        // A stop or a forced disconnect gives up at once: the front-end must not wait behind it.
        if (thread_.stopRequested()) return false;
        if (forceDisconnect_) {
            disconnect(status::kReasonForced);
            return false;
        }
        if (core::elapsedMs(platform::monotonicMs(), start) > kSendTimeoutMs) {
            postStatus(status::kSendTimeout, status::kErrorText, u"send_buff() : TimeOut");
            disconnect(status::kReasonSendTimeout);
            return false;
        }
        platform::PollItem item{client_, false, true};
        thread_.waitSockets(&item, 1, kSendRetryMs);
    }
    lastActivity_ = clock_.nowMs();
    return true;
}

bool ControlServer::abandoned() {
    if (forceDisconnect_ || client_ == platform::kInvalidSocket || abandoned_) return true;
    const std::uint32_t now = platform::monotonicMs();
    if (core::elapsedMs(now, lastPeerProbe_) < kAbandonProbeMs) return false;
    lastPeerProbe_ = now;
    abandoned_ = thread_.stopRequested() || platform::peerHasLeft(client_);
    return abandoned_;
}

void ControlServer::appendText(std::u16string_view message) { send_.appendRecord(kText, encodeTextPayload(message)); }

void ControlServer::appendReply(bool success) {
    if (success) {
        appendText(u"#RET_OK()");
    } else {
        StatusSlot current = status_.current();
        appendText(core::format(u"#RET_ERR(<code>%d,<message>\"%s\")", {current.code, current.text2}));
    }
    send_.flush();
}

}  // namespace tvr::protocol
