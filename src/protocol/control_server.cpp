// SPDX-License-Identifier: MIT
#include "protocol/control_server.h"

#include <algorithm>
#include <exception>

#include "core/paths.h"
#include "core/text.h"
#include "core/write_fault.h"
#include "platform/poll.h"
#include "protocol/record_reply.h"
#include "protocol/refusal.h"
#include "protocol/save_channel.h"
#include "protocol/status_codes.h"

namespace tvr::protocol {

namespace {

constexpr std::uint32_t kPassWithClientMs = 20;
constexpr std::uint32_t kIdlePassMs = 100;
// Ticks are compared by unsigned 32-bit subtraction, so a time-out must stay below half the range.
constexpr std::int64_t kLongestTimeoutMs = 0x7FFFFFFF;

}  // namespace

ControlServer::ControlServer(core::Clock& clock, core::CommandQueue* frontEnd, library::LibraryState& library,
                             core::ChannelSaver* channelSaver)
    : clock_(clock), frontEnd_(frontEnd), channelSaver_(channelSaver), library_(library) {
    platform::socketsStartup();
    if (!thread_.start([this] { return loopPass(); })) teardown();
}

ControlServer::~ControlServer() {
    // The control thread goes first: it reads search_ until its last pass. Then a running search
    // is cancelled and joined, before anything it reads goes.
    thread_.stop();
    search_.reset();
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
        hasClient = line_.isOpen();
        item.socket = hasClient ? line_.socket() : listener_;
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

void ControlServer::applySettings(const core::Config& config, std::uint64_t headsetChannelChangesTaken) {
    {
        std::lock_guard guard(pendingMutex_);
        pendingConfig_ = config;
        pendingChangesTaken_ = headsetChannelChangesTaken;
    }
    thread_.wake();
}

void ControlServer::watchLogins(std::function<void()> onLogin) {
    std::lock_guard guard(pendingMutex_);
    onLogin_ = std::move(onLogin);
}

void ControlServer::applyPending() {
    std::optional<core::Config> config;
    std::uint64_t taken = 0;
    {
        std::lock_guard guard(pendingMutex_);
        config.swap(pendingConfig_);
        taken = pendingChangesTaken_;
    }
    if (!config) return;
    channelChanges_.forget(taken);
    channelChanges_.putOver(*config);
    applyNow(*config);
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
    if (!log_.isOpen() && config_.serverLog == 1) log_.open(core::ServerLog::pathIn(core::dataFolder()));
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
    line_.endPacket();
    line_.send();
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
    return HandlerContext{config_,         library_, line_, status_,  frontEnd_, channelSaver_,
                          channelChanges_, clock_,   log_,  session_, search_,   stopping};
}

void ControlServer::connectionSetup(platform::SocketHandle socket, const platform::Ipv4Endpoint& peer) {
    line_.open(socket);
    forceDisconnect_ = false;
    reader_.reset();
    // The address is in place before the board's lock is taken, so postWaitingIfIdle sees the
    // connection or posts before this status.
    session_.startConnection(peer.address);
    postStatus(status::kConnected, status::kConnectedText, addressText());
}

void ControlServer::disconnect(std::u16string_view reason) {
    // The headset's word-list changes outlive the connection; saved before the status goes out,
    // so whoever sees the disconnect finds the file written. A failed save leaves the list
    // marked changed for the next try.
    if (library_.wordList().isModified() && !library_.wordList().saveWordList() && frontEnd_ != nullptr) {
        core::FrontEndCommand failed;
        failed.id = core::kSaveFailed;
        failed.path = core::unwritableText(u"the word list", core::appFilePath(library_.wordList().path()),
                                           platform::lastWriteFault());
        frontEnd_->post(std::move(failed));
    }
    // Nobody is left to read a running search's rows; its walk may be of a whole disk.
    if (search_) search_->requestCancel();
    platform::SocketHandle socket = line_.release();
    if (socket != platform::kInvalidSocket) {
        platform::closeSocket(socket);
        postStatus(status::kDisconnected, core::format(status::kDisconnectedFormat, {reason}), addressText());
    }
    forceDisconnect_ = false;
    session_.endConnection();
    reader_.reset();
    log_.flush();
}

void ControlServer::poll() {
    if (!line_.isOpen()) {
        platform::Ipv4Endpoint peer;
        platform::SocketHandle socket = platform::tcpAccept(listener_, &peer);
        if (socket == platform::kInvalidSocket) return;
        connectionSetup(socket, peer);
        lastActivity_ = clock_.nowMs();
    }
    if (receive()) servePacket();
    // The one place a connection ends while it is served: after the packet, whatever step
    // marked it, so no handler is ever on the stack when it goes.
    if (std::optional<std::u16string> reason = line_.takeClosing()) disconnect(*reason);
}

void ControlServer::servePacket() {
    const std::uint64_t loginBefore = session_.login;
    HandlerContext handlers = context();
    RecordCursor cursor(reader_.body(), reader_.announcedLength());
    RecordView record;
    // A stop, a forced disconnect or a line marked for closing ends the packet between records:
    // each record may be a whole listing, which on a slow disk (or under Wine's slow
    // StrCmpLogicalW) takes a while.
    while (!line_.closing() && !thread_.stopRequested() && !forceDisconnect_ && cursor.next(&record)) {
        if (answerGuarded(handlers, record)) line_.endPacket();
    }
    if (cursor.malformed()) {
        // The rest of the body does not hold a whole record: answer once and drop the packet.
        postStatus(status::kError, status::kErrorText, u"レコード長がパケットに合わない");
        status_.refuse(u"the rest of a packet", refusalReason({}, true, status_.current()));
        appendVerdict(handlers, false);
        line_.endPacket();
        if (session_.saving) {
            session_.saving.reset();
            appendVerdict(handlers, false);
            line_.endPacket();
        }
    }
    // The answers to the whole packet leave together: one write, not one per record. A save
    // that waits for its data lines keeps its packet open for the verdict.
    line_.send();
    if (std::optional<std::uint32_t> sent = line_.takeLastSend()) lastActivity_ = *sent;
    if (session_.login != loginBefore) {
        // The player connects to the video port right after the login's reply: wake its server now.
        std::lock_guard<std::mutex> lock(pendingMutex_);
        if (onLogin_) onLogin_();
    }
    reader_.pop();
}

bool ControlServer::answerGuarded(HandlerContext& handlers, const RecordView& record) {
    try {
        return answerRecord(handlers, record);
    } catch (const std::exception& error) {
        // A handler that fails this way (out of memory) fails its own record only: the headset
        // gets the error reply and the connection and the thread go on.
        line_.endList();
        session_.saving.reset();
        postStatus(status::kError, status::kErrorText,
                   core::format(status::kExceptionFormat, {std::u16string_view(platform::fromUtf8(error.what()))}));
        appendVerdict(handlers, false);
        return true;
    }
}

bool ControlServer::receive() {
    if (reader_.state() == FrameState::Ready) return true;
    platform::IoResult result = platform::recvSome(line_.socket(), reader_.space(), reader_.room());
    if (result.status == platform::IoStatus::Closed) {
        line_.closeAfterPacket(status::kReasonClosed);
        return false;
    }
    if (result.status == platform::IoStatus::Error) {
        line_.closeAfterPacket(core::format(status::kReasonSocketError, {result.error}));
        return false;
    }
    if (result.status == platform::IoStatus::WouldBlock) {
        if (forceDisconnect_) {
            line_.closeAfterPacket(status::kReasonForced);
            return false;
        }
        // The suspension outlives a headset that drops, for its return; a peer that has not
        // logged in is never exempt, or a silent stranger could hold the only place.
        const bool exempt = session_.suspended && session_.authenticated;
        std::uint32_t idle = core::elapsedMs(clock_.nowMs(), lastActivity_);
        if (!exempt && idle >= liveTimeoutMs_) {
            line_.closeAfterPacket(core::format(status::kReasonNoTraffic, {static_cast<std::int64_t>(idle / 1000)}));
            return false;
        }
    }
    reader_.commit(result.bytes);
    switch (reader_.state()) {
        case FrameState::NeedMore:
            return false;
        case FrameState::BadFourCC:
            // The stream cannot be resynchronised: report it and free the line for the next headset.
            postStatus(status::kError, status::kFatalErrorText, status::kBadFourCCText);
            line_.closeAfterPacket(status::kReasonBadFourCC);
            return false;
        case FrameState::TooLarge:
            postStatus(status::kError, status::kFatalErrorText,
                       core::format(u"%s(%u)", {status::kPacketTooLargeText,
                                                static_cast<std::int64_t>(reader_.announcedLength())}));
            line_.closeAfterPacket(status::kReasonTooLarge);
            return false;
        case FrameState::Ready:
            break;
    }
    lastActivity_ = clock_.nowMs();
    return true;
}

}  // namespace tvr::protocol
