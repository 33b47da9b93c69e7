// SPDX-License-Identifier: MIT
#include "http/video_server.h"

#include "core/clock.h"
#include "http/http_response.h"
#include "platform/fs.h"
#include "platform/poll.h"
#include "platform/time.h"

namespace tvr::http {

namespace {

// Upper bounds of the server thread's wait: socket readiness and filled buffers end it early.
constexpr std::uint32_t kBusyWaitMs = 20;
constexpr std::uint32_t kIdleWaitMs = 100;
// Connections accepted but not yet bound by a GET. Two, so that a player opening both streams at
// once does not lose the first connection to the second before its request has arrived.
constexpr std::size_t kMaxPending = VideoServer::kSlotCount;
// Body bytes sent to one slot per pass, so one fast stream cannot hold up the other.
constexpr std::size_t kSendPerPass = StreamSlot::kBufferCount * StreamSlot::kBufferSize;
// Connections accepted per pass. Other hosts' connections are refused as they come, so a flood
// of them is drained quickly instead of filling the backlog of two ahead of the player's connects.
constexpr int kAcceptsPerPass = 16;

enum class Gathered { Request, NeedMore, TooLarge };

// The next GET or HEAD request gathered on the connection; blocks of other methods are skipped.
Gathered nextRequest(HttpConnection& connection, HttpRequest* request) {
    std::string block;
    for (;;) {
        RequestGatherer::State state = connection.gatherer().next(&block);
        if (state == RequestGatherer::State::NeedMore) return Gathered::NeedMore;
        if (state == RequestGatherer::State::TooLarge) return Gathered::TooLarge;
        *request = parseRequest(block);
        if (request->method != Method::None) return Gathered::Request;
    }
}

}  // namespace

VideoServer::VideoServer(core::Clock& clock) : clock_(clock) {
    socketsStarted_ = platform::socketsStartup();
    if (!thread_.start([this] { return pass(); })) close();
}

VideoServer::~VideoServer() { close(); }

bool VideoServer::start(std::uint16_t port, core::AccessGate* gate, std::uint32_t bindAddress) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_ || running_ || !thread_.running()) return false;
    listener_ = platform::tcpListen({bindAddress, port}, kSlotCount);
    if (listener_ == platform::kInvalidSocket) return false;
    port_ = platform::localEndpoint(listener_).port;
    gate_ = gate;
    gate_->watchLogins([this] { thread_.wake(); });
    for (int index = 0; index < kSlotCount; ++index) {
        slots_[index].index = index;
        slots_[index].stream = std::make_unique<StreamSlot>([this] { thread_.wake(); });
    }
    running_ = true;
    thread_.wake();
    return true;
}

void VideoServer::close() {
    thread_.stop();
    std::lock_guard<std::mutex> lock(mutex_);
    if (gate_ != nullptr) gate_->watchLogins(nullptr);
    running_ = false;
    pending_.clear();
    platform::closeSocket(listener_);
    listener_ = platform::kInvalidSocket;
    port_ = 0;
    for (Slot& slot : slots_) {
        slot.connection.reset();
        slot.stream.reset();
    }
    gate_ = nullptr;
    if (socketsStarted_) platform::socketsCleanup();
    socketsStarted_ = false;
    closed_ = true;
}

void VideoServer::endLogin(std::uint64_t login) {
    // Logins only grow, so keeping the largest ended one can never end a later login's streams,
    // however late or often this is called. The server thread does the closing.
    std::uint64_t ended = endedLogin_.load();
    while (login > ended && !endedLogin_.compare_exchange_weak(ended, login)) {
    }
    thread_.wake();
}

bool VideoServer::slotHasOpenFile(int slot) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (slot < 0 || slot >= kSlotCount || !slots_[slot].stream) return false;
    return slots_[slot].stream->hasOpenFile();
}

std::vector<StreamProgress> VideoServer::streamsInProgress() const {
    // The copies the server thread publishes, never the slots: a pass may be waiting for the disk.
    std::vector<StreamProgress> streams;
    std::lock_guard<std::mutex> lock(shownMutex_);
    std::uint32_t now = platform::monotonicMs();
    for (int index = 0; index < kSlotCount; ++index) {
        const Body& body = shownBodies_[static_cast<std::size_t>(index)];
        if (!body.active) continue;
        streams.push_back({index, body.path, body.start + body.sent, body.start + body.length, body.sent,
                           core::elapsedMs(now, body.startMs)});
    }
    return streams;
}

void VideoServer::setReadMode(platform::ReadMode mode) {
    std::lock_guard<std::mutex> lock(mutex_);
    readMode_ = mode;
}

platform::ReadMode VideoServer::slotReadMode(int slot) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (slot < 0 || slot >= kSlotCount || !slots_[slot].stream) return readMode_;
    return slots_[slot].stream->readMode();
}

std::vector<StreamEvent> VideoServer::takeEvents() { return events_.take(); }

std::int32_t VideoServer::pass() {
    platform::PollItem items[1 + kMaxPending + kSlotCount];
    std::size_t count = 0;
    std::uint32_t waitMs = kIdleWaitMs;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (running_) {
            endLoginsStep();
            acceptStep();
            pendingStep();
            bool busy = false;
            for (int index = 0; index < kSlotCount; ++index) {
                slotStep(index);
                busy = busy || slots_[index].connection != nullptr;
            }
            waitMs = busy ? kBusyWaitMs : kIdleWaitMs;
            count = collectPollItems(items, std::size(items));
        }
    }
    thread_.waitSockets(items, count, waitMs);
    return 1;
}

void VideoServer::endLoginsStep() {
    // The headset's login ended (it left, it was dropped, or it logged in anew): its connections
    // get no more bytes, and the files they opened are closed once their connections are gone.
    std::erase_if(pending_, [this](const auto& connection) { return !clientAllowed(*connection); });
    std::uint64_t current = gate_ != nullptr ? gate_->currentLogin() : 0;
    for (Slot& slot : slots_) {
        if (slot.connection && !clientAllowed(*slot.connection)) closeSlotConnection(slot);
        if (slot.fileLogin != 0 && (slot.fileLogin != current || slot.fileLogin <= endedLogin_)) {
            slot.fileLogin = 0;
            slot.stream->requestRelease();
            if (!slot.connection) slot.stream->closeFile();
        }
    }
}

void VideoServer::acceptStep() {
    std::uint64_t login = gate_ != nullptr ? gate_->currentLogin() : 0;
    if (login == 0 || login <= endedLogin_) {
        awaitLoginStep();
        return;
    }
    loginAwaited_ = false;
    // The refused hosts of one pass make one event, so a flood of them cannot crowd the
    // player's requests out of the event queue.
    StreamEvent strangers;
    strangers.statusCode = 404;
    for (int accepted = 0; accepted < kAcceptsPerPass; ++accepted) {
        platform::Ipv4Endpoint peer;
        platform::SocketHandle socket = platform::tcpAccept(listener_, &peer);
        if (socket == platform::kInvalidSocket) break;
        // The login now, not the pass's: a headset that logged in again while this pass began
        // connects its player under the new login, which an earlier read would refuse as ended.
        auto connection = std::make_unique<HttpConnection>(socket, peer.address, gate_->currentLogin());
        RefusalReason refused = clientRefusal(*connection);
        if (refused != RefusalReason::None) {
            // Another host never takes one of the player's waiting places: it gets its answer
            // now (a fresh socket takes a header whole) and is closed as the connection goes.
            connection->queue(notFoundHeader());
            connection->flush();
            if (strangers.connections++ == 0) {
                strangers.peerAddress = peer.address;
                strangers.reason = refused;  // another host, or a login that ended as it came
            }
            continue;
        }
        if (pending_.size() >= kMaxPending) pending_.erase(pending_.begin());
        pending_.push_back(std::move(connection));
        break;
    }
    if (strangers.connections > 0) events_.push(std::move(strangers));
}

void VideoServer::awaitLoginStep() {
    // Nobody is logged in: connections wait in the backlog, where the headset's player finds its
    // answer once the headset has logged in. The console hears of the wait once, at once; when no
    // login comes in time, whoever waits gets 404 rather than silence.
    if (!loginAwaited_) {
        platform::PollItem listener;
        listener.socket = listener_;
        listener.wantRead = true;
        if (platform::pollSockets(&listener, 1, 0, nullptr) == 0 || !listener.readable) return;
        loginAwaited_ = true;
        awaitedSinceMs_ = clock_.nowMs();
        StreamEvent event;
        event.kind = StreamEvent::Kind::AwaitingLogin;
        events_.push(std::move(event));
        return;
    }
    if (core::elapsedMs(clock_.nowMs(), awaitedSinceMs_) < kLoginWaitMs) return;
    loginAwaited_ = false;
    StreamEvent event;
    event.kind = StreamEvent::Kind::LoginWaitOver;
    event.reason = RefusalReason::NobodyLoggedIn;
    for (int accepted = 0; accepted < kAcceptsPerPass; ++accepted) {
        platform::Ipv4Endpoint peer;
        platform::SocketHandle socket = platform::tcpAccept(listener_, &peer);
        if (socket == platform::kInvalidSocket) break;
        HttpConnection connection(socket, peer.address, 0);
        // The request is read first: a socket closed with unread bytes is reset, and a reset
        // can overtake the answer.
        connection.receive();
        connection.queue(notFoundHeader());
        connection.flush();
        ++event.connections;
    }
    if (event.connections > 0) events_.push(std::move(event));
}

void VideoServer::pendingStep() {
    HttpRequest request;
    for (std::size_t i = 0; i < pending_.size();) {
        HttpConnection& connection = *pending_[i];
        bool bound = false;
        // A connection whose login ended while it waited is dropped unanswered.
        bool alive =
            clientAllowed(connection) && connection.flush() && connection.receive() != HttpConnection::Received::Ended;
        while (alive && !bound) {
            Gathered gathered = nextRequest(connection, &request);
            if (gathered == Gathered::NeedMore) break;
            if (gathered == Gathered::TooLarge) {
                alive = false;
                break;
            }
            RefusalReason refused = clientRefusal(connection);
            if (refused == RefusalReason::None && (request.streamIndex < 0 || request.streamIndex >= kSlotCount)) {
                refused = RefusalReason::NoSuchSlot;
            }
            // Another host is refused on its own connection and never displaces the client's stream.
            if (refused != RefusalReason::None) {
                if (request.method == Method::Get) recordRequest(-1, request, 404, refused);
                connection.queue(notFoundHeader());
            } else if (request.method == Method::Head) {
                answerHead(connection, request);
            } else {
                Slot& slot = slots_[request.streamIndex];
                slot.connection = std::move(pending_[i]);
                pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(i));
                bound = true;
                serveGet(slot, request);
                serveBlocks(request.streamIndex);
                break;
            }
            alive = connection.flush();
        }
        if (bound) continue;
        if (!alive) {
            pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        ++i;
    }
}

void VideoServer::slotStep(int index) {
    Slot& slot = slots_[index];
    if (!slot.connection) {
        if (slot.stream->releaseRequested()) slot.stream->closeFile();
        return;
    }
    if (slot.connection->receive() == HttpConnection::Received::Ended) {
        // Players close or reset the connection on every seek: a normal end of the stream.
        closeSlotConnection(slot);
        return;
    }
    serveBlocks(index);
    if (slot.connection) sendStep(slot);
}

void VideoServer::sendStep(Slot& slot) {
    HttpConnection& connection = *slot.connection;
    // Checked before every send: the headset may have logged out, or another host logged in,
    // since this stream began, and no byte may go to a host that is not the client now.
    if (!clientAllowed(connection)) {
        closeSlotConnection(slot);
        return;
    }
    const char* data = nullptr;
    std::size_t size = 0;
    std::size_t sentThisPass = 0;
    while (sentThisPass < kSendPerPass && slot.stream->sendable(&data, &size)) {
        std::int64_t sent = connection.sendBody(data, size);
        if (sent < 0) {
            closeSlotConnection(slot);
            return;
        }
        if (sent == 0) return;
        slot.stream->consumed(static_cast<std::size_t>(sent));
        sentThisPass += static_cast<std::size_t>(sent);
        if (slot.body.active) {
            slot.body.sent += static_cast<std::uint64_t>(sent);
            if (slot.body.sent >= slot.body.length) endBody(slot);
        }
    }
    if (sentThisPass > 0) showBody(slot);
    // A header without a body: 404, 416, an empty file, or a first block not read yet.
    if (!connection.flush()) {
        closeSlotConnection(slot);
        return;
    }
    // A file that ends before the announced length cannot complete the body.
    if (slot.stream->bodyBroken()) closeSlotConnection(slot);
}

void VideoServer::serveBlocks(int index) {
    Slot& slot = slots_[index];
    HttpRequest request;
    while (slot.connection) {
        Gathered gathered = nextRequest(*slot.connection, &request);
        if (gathered == Gathered::NeedMore) return;
        if (gathered == Gathered::TooLarge) {
            closeSlotConnection(slot);
            return;
        }
        if (request.method == Method::Get) {
            serveGet(slot, request);
        } else if (request.method == Method::Head) {
            endBody(slot);
            slot.stream->stopBody();
            answerHead(*slot.connection, request);
        }
    }
}

void VideoServer::serveGet(Slot& slot, const HttpRequest& request) {
    HttpConnection& connection = *slot.connection;
    StreamSlot& stream = *slot.stream;
    // A new request on the connection ends whatever body was still going out.
    endBody(slot);
    stream.stopBody();
    RefusalReason refused = requestRefusal(connection, request);
    if (refused == RefusalReason::None && !stream.open(request.path, readMode_)) refused = openRefusal(request.path);
    if (refused != RefusalReason::None) {
        recordRequest(slot.index, request, 404, refused);
        connection.queue(notFoundHeader());
        return;
    }
    FileFacts facts = stream.facts();
    std::int64_t start = request.hasRange ? request.rangeStart : 0;
    if (request.hasRange && (start < 0 || start >= facts.size)) {
        recordRequest(slot.index, request, 416);
        connection.queue(rangeNotSatisfiableHeader(facts.size));
        return;
    }
    slot.fileLogin = connection.login();
    stream.seek(start);
    connection.queue(successHeader(facts, start, request.path));
    recordRequest(slot.index, request, start == 0 ? 200 : 206);
    slot.body = Body{
        true, request.path,           static_cast<std::uint64_t>(start), static_cast<std::uint64_t>(facts.size - start),
        0,    platform::monotonicMs()};
    if (slot.body.length == 0) endBody(slot);
    showBody(slot);
}

void VideoServer::answerHead(HttpConnection& connection, const HttpRequest& request) {
    FileFacts facts;
    bool isFile = requestRefusal(connection, request) == RefusalReason::None &&
                  platform::pathKind(request.path) == platform::PathKind::File;
    facts.size = isFile ? platform::fileSize(request.path) : -1;
    if (facts.size < 0) {
        connection.queue(notFoundHeader());
        return;
    }
    platform::fileWriteTime(request.path, &facts.writeTime);
    std::int64_t start = request.hasRange ? request.rangeStart : 0;
    if (request.hasRange && (start < 0 || start >= facts.size)) {
        connection.queue(rangeNotSatisfiableHeader(facts.size));
        return;
    }
    connection.queue(successHeader(facts, start, request.path));
}

bool VideoServer::clientAllowed(const HttpConnection& connection) const {
    return clientRefusal(connection) == RefusalReason::None;
}

RefusalReason VideoServer::clientRefusal(const HttpConnection& connection) const {
    // The address alone is not enough: the same headset logging in again is a new login, and
    // what it asked for before belongs to the old one.
    if (gate_ == nullptr || connection.login() <= endedLogin_ || connection.login() != gate_->currentLogin()) {
        return RefusalReason::LoginEnded;
    }
    return connection.peerAddress() == gate_->clientAddress() ? RefusalReason::None : RefusalReason::OtherHost;
}

RefusalReason VideoServer::requestRefusal(const HttpConnection& connection, const HttpRequest& request) const {
    if (!request.targetValid) return RefusalReason::Undecodable;
    RefusalReason refused = clientRefusal(connection);
    if (refused != RefusalReason::None) return refused;
    // The extension is judged on the name the open reaches: on Windows "secret.txt." opens
    // "secret.txt" and the short name "SECRET~1.MP4" opens "secret.mp4x", and neither may pass
    // for a video because its spelling does.
    if (gate_->isVideoAccepted(platform::openedPath(request.path))) return RefusalReason::None;
    return gate_->isVideoAccepted(request.path) ? RefusalReason::OtherSpelling : RefusalReason::Extension;
}

RefusalReason VideoServer::openRefusal(std::u16string_view path) {
    switch (platform::pathKind(path)) {
        case platform::PathKind::Missing:
            return RefusalReason::NoSuchFile;
        case platform::PathKind::Folder:
            return RefusalReason::Folder;
        case platform::PathKind::File:
            break;
    }
    return RefusalReason::CannotOpen;
}

void VideoServer::closeSlotConnection(Slot& slot) {
    endBody(slot);
    slot.connection.reset();
    slot.stream->stopBody();
    if (slot.stream->releaseRequested()) slot.stream->closeFile();
}

void VideoServer::recordRequest(int slot, const HttpRequest& request, int statusCode, RefusalReason reason) {
    StreamEvent event;
    event.reason = reason;
    event.kind = StreamEvent::Kind::Request;
    event.slot = slot;
    event.rangeStart = request.hasRange ? request.rangeStart : 0;
    event.path = request.path;
    event.statusCode = statusCode;
    events_.push(std::move(event));
}

void VideoServer::endBody(Slot& slot) {
    if (!slot.body.active) return;
    StreamEvent event;
    event.kind = StreamEvent::Kind::End;
    event.slot = slot.index;
    event.path = std::move(slot.body.path);
    event.bytesSent = slot.body.sent;
    event.durationMs = core::elapsedMs(platform::monotonicMs(), slot.body.startMs);
    events_.push(std::move(event));
    slot.body = Body{};
    showBody(slot);
}

void VideoServer::showBody(const Slot& slot) {
    std::lock_guard<std::mutex> lock(shownMutex_);
    shownBodies_[static_cast<std::size_t>(slot.index)] = slot.body;
}

std::size_t VideoServer::collectPollItems(platform::PollItem* items, std::size_t capacity) {
    std::size_t count = 0;
    auto add = [&](platform::SocketHandle socket, bool wantWrite) {
        if (count == capacity) return;
        items[count] = platform::PollItem{};
        items[count].socket = socket;
        items[count].wantRead = true;
        items[count].wantWrite = wantWrite;
        ++count;
    };
    // Without a login the listener is watched only until a connection is seen waiting; from then
    // on the passes' own pace times its wait.
    if (gate_ != nullptr && (gate_->currentLogin() > endedLogin_ || !loginAwaited_)) add(listener_, false);
    for (const auto& connection : pending_) add(connection->socket(), connection->hasQueued());
    for (Slot& slot : slots_) {
        if (!slot.connection) continue;
        const char* data = nullptr;
        std::size_t size = 0;
        add(slot.connection->socket(), slot.connection->hasQueued() || slot.stream->sendable(&data, &size));
    }
    return count;
}

}  // namespace tvr::http
