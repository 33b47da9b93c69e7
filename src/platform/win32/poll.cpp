// SPDX-License-Identifier: MIT
// Socket readiness through WSAPoll. Winsock can wait on sockets only, so the cross-thread
// wake-up is a connected pair of loopback sockets: a byte sent on one end makes the other
// readable.
#include "platform/poll.h"

#include <winsock2.h>

#include <vector>

namespace tvr::platform {

namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;

}  // namespace

Waker::Waker() {
    SocketHandle listener = tcpListen(Ipv4Endpoint{kLoopback, 0}, 1);
    if (listener == kInvalidSocket) return;
    SocketHandle writeEnd = tcpConnect(Ipv4Endpoint{kLoopback, localEndpoint(listener).port}, 5000);
    SocketHandle readEnd = kInvalidSocket;
    if (writeEnd != kInvalidSocket) {
        PollItem item;
        item.socket = listener;
        item.wantRead = true;
        if (pollSockets(&item, 1, 5000, nullptr) == 1) readEnd = tcpAccept(listener, nullptr);
    }
    closeSocket(listener);
    if (readEnd == kInvalidSocket) {
        closeSocket(writeEnd);
        return;
    }
    // A wake-up is one byte; Nagle's delay would hold it back.
    BOOL on = TRUE;
    ::setsockopt(static_cast<SOCKET>(writeEnd), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
                 sizeof on);
    readEnd_ = readEnd;
    writeEnd_ = writeEnd;
}

Waker::~Waker() {
    closeSocket(readEnd_);
    closeSocket(writeEnd_);
}

void Waker::wake() {
    if (writeEnd_ == kInvalidSocket) return;
    // A full send buffer means wake-ups are already pending, so would-block needs no handling.
    sendSome(writeEnd_, "w", 1);
}

void Waker::drain() {
    if (readEnd_ == kInvalidSocket) return;
    char bytes[256];
    while (recvSome(readEnd_, bytes, sizeof bytes).status == IoStatus::Ok) {
    }
}

int pollSockets(PollItem* items, std::size_t count, int timeoutMs, Waker* waker) {
    // WSAPoll refuses an empty set and invalid sockets, so only live entries go in, with their index.
    std::vector<WSAPOLLFD> fds;
    std::vector<std::size_t> owner;
    fds.reserve(count + 1);
    for (std::size_t i = 0; i < count; ++i) {
        items[i].readable = items[i].writable = items[i].failed = false;
        if (items[i].socket == kInvalidSocket) continue;
        SHORT events = 0;
        if (items[i].wantRead) events = static_cast<SHORT>(events | POLLRDNORM);
        if (items[i].wantWrite) events = static_cast<SHORT>(events | POLLWRNORM);
        fds.push_back(WSAPOLLFD{static_cast<SOCKET>(items[i].socket), events, 0});
        owner.push_back(i);
    }
    const bool watchWaker = waker != nullptr && waker->handle() != kInvalidSocket;
    if (watchWaker) fds.push_back(WSAPOLLFD{static_cast<SOCKET>(waker->handle()), POLLRDNORM, 0});
    if (fds.empty()) {
        ::Sleep(timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
        return 0;
    }
    int ready = ::WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), timeoutMs < 0 ? -1 : timeoutMs);
    if (ready <= 0) return 0;
    // The wait a wake-up ends consumes it, so the next wait sleeps again.
    if (watchWaker && (fds.back().revents & (POLLRDNORM | POLLHUP))) waker->drain();

    int readyItems = 0;
    for (std::size_t k = 0; k < owner.size(); ++k) {
        PollItem& item = items[owner[k]];
        SHORT revents = fds[k].revents;
        // A hang-up reads as readable so the owner's recv sees the end of the stream.
        item.readable = (revents & (POLLRDNORM | POLLHUP)) != 0;
        item.writable = (revents & POLLWRNORM) != 0;
        item.failed = (revents & (POLLERR | POLLNVAL)) != 0;
        if (item.readable || item.writable || item.failed) ++readyItems;
    }
    return readyItems;
}

}  // namespace tvr::platform
