// SPDX-License-Identifier: MIT
#pragma once
// Waiting for socket readiness with a wake-up that another thread can trigger, so a
// service loop sleeps "up to N ms" but runs at once when work or a stop request arrives.
#include <cstddef>

#include "platform/socket.h"

namespace tvr::platform {

/// A handle another thread can signal to end a pollSockets wait early.
class Waker {
public:
    Waker();
    ~Waker();
    Waker(const Waker&) = delete;
    Waker& operator=(const Waker&) = delete;
    /// Makes the current or next wait return at once.
    void wake();
    /// Clears pending wake-ups.
    void drain();
    /// The readable handle polled alongside the sockets.
    SocketHandle handle() const { return readEnd_; }

private:
    SocketHandle readEnd_ = kInvalidSocket;
    SocketHandle writeEnd_ = kInvalidSocket;
};

/// One socket to watch and, after the wait, what it is ready for.
struct PollItem {
    SocketHandle socket = kInvalidSocket;
    bool wantRead = false;
    bool wantWrite = false;
    bool readable = false;
    bool writable = false;
    bool failed = false;
};

/// Waits up to timeoutMs for any item or the waker; returns the count of ready items (0 on timeout or wake).
/// A wake-up that ends the wait is consumed by it; one arriving later ends the next wait.
int pollSockets(PollItem* items, std::size_t count, int timeoutMs, Waker* waker);

}  // namespace tvr::platform
