// SPDX-License-Identifier: MIT
#include "protocol/client_line.h"

#include "platform/poll.h"
#include "platform/time.h"
#include "protocol/status_codes.h"
#include "protocol/wire.h"

namespace tvr::protocol {

namespace {

constexpr std::uint32_t kSendRetryMs = 100;
// How often a long answer looks at the stop request and the socket: well inside the second in
// which a new headset expects its handshake reply.
constexpr std::uint32_t kAbandonProbeMs = 20;

}  // namespace

ClientLine::ClientLine(core::WorkerThread& thread, core::Clock& clock, StatusBoard& status,
                       const std::atomic<bool>& forceDisconnect)
    : thread_(thread),
      clock_(clock),
      status_(status),
      forceDisconnect_(forceDisconnect),
      send_([this](const std::uint8_t* data, std::size_t size) { return transmit(data, size); }) {}

void ClientLine::open(platform::SocketHandle socket) {
    socket_ = socket;
    platform::setNoDelay(socket_);
    closing_.reset();
    lastSend_.reset();
    abandoned_ = false;
    send_.reset();
}

platform::SocketHandle ClientLine::release() {
    platform::SocketHandle socket = socket_;
    socket_ = platform::kInvalidSocket;
    closing_.reset();
    send_.reset();
    return socket;
}

void ClientLine::closeAfterPacket(std::u16string reason) {
    if (!closing_) closing_ = std::move(reason);
}

std::optional<std::u16string> ClientLine::takeClosing() {
    std::optional<std::u16string> reason;
    reason.swap(closing_);
    return reason;
}

std::optional<std::uint32_t> ClientLine::takeLastSend() {
    std::optional<std::uint32_t> last;
    last.swap(lastSend_);
    return last;
}

void ClientLine::appendText(std::u16string_view message) { send_.appendRecord(kText, encodeTextPayload(message)); }

void ClientLine::appendResult(std::int32_t index, std::int32_t value, std::u16string_view text) {
    send_.appendRecord(kResult, encodeResultPayload({index, value, std::u16string(text)}));
}

bool ClientLine::abandoned() {
    if (forceDisconnect_ || !isOpen() || closing_ || abandoned_) return true;
    const std::uint32_t now = platform::monotonicMs();
    if (core::elapsedMs(now, lastPeerProbe_) < kAbandonProbeMs) return false;
    lastPeerProbe_ = now;
    abandoned_ = thread_.stopRequested() || platform::peerHasLeft(socket_);
    return abandoned_;
}

bool ClientLine::transmit(const std::uint8_t* data, std::size_t size) {
    if (!isOpen() || closing_) return false;
    // A real-time bound for the whole write, not for each partial send: a headset that reads a
    // few bytes now and then must not hold the control thread.
    std::uint32_t start = platform::monotonicMs();
    std::size_t sent = 0;
    while (sent < size) {
        platform::IoResult result = platform::sendSome(socket_, data + sent, size - sent);
        if (result.status == platform::IoStatus::Ok) {
            sent += result.bytes;
            continue;
        }
        if (result.status != platform::IoStatus::WouldBlock) return false;  // the receive step reports it
        // A stop or a forced disconnect gives up at once: the front-end must not wait behind it.
        if (thread_.stopRequested()) return false;
        if (forceDisconnect_) {
            closeAfterPacket(status::kReasonForced);
            return false;
        }
        if (core::elapsedMs(platform::monotonicMs(), start) > kSendTimeoutMs) {
            status_.post(status::kSendTimeout, status::kErrorText, u"send_buff() : TimeOut");
            closeAfterPacket(status::kReasonSendTimeout);
            return false;
        }
        platform::PollItem item{socket_, false, true};
        thread_.waitSockets(&item, 1, kSendRetryMs);
    }
    lastSend_ = clock_.nowMs();
    return true;
}

}  // namespace tvr::protocol
