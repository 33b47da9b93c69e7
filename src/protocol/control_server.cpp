// SPDX-License-Identifier: MIT
#include "protocol/control_server.h"

#include "core/paths.h"
#include "core/text.h"
#include "platform/poll.h"
#include "platform/time.h"

namespace tvr::protocol {

namespace {

constexpr std::uint32_t kPassWithClientMs = 20;
constexpr std::uint32_t kIdlePassMs = 100;
constexpr std::uint32_t kSendTimeoutMs = 5000;
constexpr std::uint32_t kSendRetryMs = 100;

}  // namespace

ControlServer::ControlServer(core::Clock& clock, core::CommandQueue* frontEnd)
    : clock_(clock),
      frontEnd_(frontEnd),
      send_([this](const std::uint8_t* data, std::size_t size) { return Transmit(data, size); }) {
    platform::socketsStartup();
    if (!thread_.start([this] { return loopPass(); })) teardown();
}

ControlServer::~ControlServer() {
    thread_.stop();
    teardown();
    log_.close();
    platform::socketsCleanup();
}

std::int32_t ControlServer::loopPass() {
    platform::PollItem item;
    bool hasClient = false;
    bool packetWaiting = false;
    {
        std::lock_guard guard(lock_);
        if (listening_) {
            poll();
            hasClient = connected_;
            item.socket = hasClient ? client_ : listener_;
            item.wantRead = true;
            // Only a whole packet counts: a part of one waits for the socket like an empty buffer.
            packetWaiting =
                hasClient && received_ >= kHeaderSize && received_ - kHeaderSize >= readU32(receive_.data() + 4);
        }
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
    std::lock_guard guard(lock_);
    listener_ = platform::tcpListen({bindAddress, port}, 1);
    if (listener_ == platform::kInvalidSocket) {
        teardown();
        return false;
    }
    port_ = platform::localEndpoint(listener_).port;
    applySettings(config);
    connected_ = false;
    authenticated_ = false;
    postStatus(0, u"", u"");
    listening_ = true;
    postStatus(1, u"接続待ち", u"");
    thread_.wake();
    return true;
}

void ControlServer::applySettings(const core::Config& config) {
    std::lock_guard guard(lock_);
    config_ = config;
    std::u16string folder;
    core::resolveStoreFolder(&folder, config_.trimPath);
    markers_.scanMarkerFolder(folder);
    for (std::int32_t ch = 0; ch < core::kChannelCount; ++ch) {
        const auto& channel = config_.channels[static_cast<std::size_t>(ch)];
        if (channel.type == core::kChannelSearchList) searchList_.bind(ch, library::kSearchList, channel.path);
        if (channel.type == core::kChannelFavoriteList) favoriteList_.bind(ch, library::kFavoriteList, channel.path);
    }
    {
        std::lock_guard extensionsGuard(extensionsMutex_);
        extensions_.build(config_.extensions);
    }
    liveTimeoutMs_ = static_cast<std::uint32_t>(std::max(config_.liveTimeoutSec, 0)) * 1000u;
    if (suspended_) {
        suspended_ = false;
        suspendChanged_ = true;
    }
    if (log_.isOpen() && config_.serverLog == 0) log_.close();
    if (!log_.isOpen() && config_.serverLog == 1) log_.open(core::ServerLog::pathIn(core::executableFolder()));
    core::resolveStoreFolder(&vrFormatFolder_, config_.vrFormatPath);
}

bool ControlServer::takeStatus(StatusSlot* status) {
    std::unique_lock guard(lock_, std::try_to_lock);
    if (!guard.owns_lock()) return false;
    *status = status_;
    status_ = StatusSlot{};
    return true;
}

void ControlServer::postStatus(std::int32_t code, std::u16string_view text1, std::u16string_view text2) {
    std::lock_guard guard(lock_);
    status_.code = code;
    status_.text1.assign(text1);
    status_.text2.assign(text2);
    if (code >= 0) log_.write(core::eventMessage(code, text1, text2));
}

void ControlServer::postWaitingIfIdle() {
    std::lock_guard guard(lock_);
    if (!connected_) postStatus(1, u"接続待ち", u"");
}

void ControlServer::requestForceDisconnect() {
    forceDisconnect_ = true;
    thread_.wake();
}

bool ControlServer::isVideoAccepted(std::u16string_view path) const {
    std::lock_guard guard(extensionsMutex_);
    return extensions_.isAccepted(path);
}

void ControlServer::teardown() {
    std::lock_guard guard(lock_);
    listening_ = false;
    if (client_ != platform::kInvalidSocket) send_.flush();
    send_.reset();
    disconnect(u"Release()");
    platform::closeSocket(listener_);
    listener_ = platform::kInvalidSocket;
    log_.write(u"SHUTDOWN");
    log_.close();
}

std::u16string ControlServer::addressText() const {
    if (!connected_) return u"non";
    return platform::fromAscii(platform::formatIpv4(clientAddress_));
}

void ControlServer::connectionSetup(platform::SocketHandle socket, const platform::Ipv4Endpoint& peer) {
    client_ = socket;
    clientAddress_ = peer.address;
    connected_ = true;
    forceDisconnect_ = false;
    authenticated_ = false;
    received_ = 0;
    packetReady_ = false;
    send_.reset();
    postStatus(2, u"接続中", addressText());
}

void ControlServer::disconnect(std::u16string_view reason) {
    std::lock_guard guard(lock_);
    if (client_ != platform::kInvalidSocket) {
        platform::closeSocket(client_);
        client_ = platform::kInvalidSocket;
        postStatus(3, core::format(u"切断(%s)", {reason}), addressText());
    }
    forceDisconnect_ = false;
    connected_ = false;
    authenticated_ = false;
    received_ = 0;
    packetReady_ = false;
    log_.flush();
}

bool ControlServer::Transmit(const std::uint8_t* data, std::size_t size) {
    if (client_ == platform::kInvalidSocket) return false;
    // A real-time bound: the peer not reading is an I/O condition, not a protocol timer.
    std::uint32_t start = platform::monotonicMs();
    std::size_t sent = 0;
    while (sent < size) {
        platform::IoResult result = platform::sendSome(client_, data + sent, size - sent);
        if (result.status == platform::IoStatus::Ok) {
            sent += result.bytes;
            continue;
        }
        // A stop gives up at once: the server cannot be freed before its thread ends, and a
        // headset that has stopped reading would hold every further send for the full time-out.
        if (result.status != platform::IoStatus::WouldBlock ||
            core::elapsedMs(platform::monotonicMs(), start) > kSendTimeoutMs || thread_.stopRequested()) {
            postStatus(0x230, u"エラー", u"send_buff() : TimeOut");
            return false;
        }
        platform::PollItem item{client_, false, true};
        platform::pollSockets(&item, 1, static_cast<int>(kSendRetryMs), nullptr);
    }
    lastActivity_ = clock_.nowMs();
    return true;
}

void ControlServer::appendText(std::u16string_view message) { send_.appendRecord(kText, encodeTextPayload(message)); }

void ControlServer::appendReply(bool success) {
    if (success) {
        appendText(u"#RET_OK()");
    } else {
        appendText(core::format(u"#RET_ERR(<code>%d,<message>\"%s\")", {status_.code, status_.text2}));
    }
    send_.flush();
}

}  // namespace tvr::protocol
