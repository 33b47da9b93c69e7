// SPDX-License-Identifier: MIT
// Socket readiness through poll(2) with an eventfd as the cross-thread wake-up.
#include "platform/poll.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

#include "platform/posix/posix_util.h"
#include "platform/time.h"

namespace tvr::platform {

// One eventfd serves as both ends: writes add to its counter, a read clears it.
Waker::Waker() {
    int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    readEnd_ = fd;
    writeEnd_ = fd;
}

Waker::~Waker() {
    if (readEnd_ != kInvalidSocket) ::close(static_cast<int>(readEnd_));
}

void Waker::wake() {
    if (writeEnd_ == kInvalidSocket) return;
    std::uint64_t one = 1;
    // A full counter (EAGAIN) already means "wake", so that result needs no handling.
    posix::retryOnEintr([&] { return ::write(static_cast<int>(writeEnd_), &one, sizeof one); });
}

void Waker::drain() {
    if (readEnd_ == kInvalidSocket) return;
    std::uint64_t count = 0;
    posix::retryOnEintr([&] { return ::read(static_cast<int>(readEnd_), &count, sizeof count); });
}

int pollSockets(PollItem* items, std::size_t count, int timeoutMs, Waker* waker) {
    std::vector<pollfd> fds(count + 1);
    for (std::size_t i = 0; i < count; ++i) {
        items[i].readable = items[i].writable = items[i].failed = false;
        short events = 0;
        if (items[i].wantRead) events = static_cast<short>(events | POLLIN);
        if (items[i].wantWrite) events = static_cast<short>(events | POLLOUT);
        fds[i] = pollfd{static_cast<int>(items[i].socket), events, 0};
    }
    // A negative descriptor is skipped by poll, which keeps the array layout fixed.
    fds[count] = pollfd{waker != nullptr ? static_cast<int>(waker->handle()) : -1, POLLIN, 0};

    const std::uint32_t start = monotonicMs();
    int ready = 0;
    for (;;) {
        ready = ::poll(fds.data(), static_cast<nfds_t>(fds.size()), posix::remainingMs(start, timeoutMs));
        if (ready >= 0 || errno != EINTR) break;
    }
    if (ready <= 0) return 0;
    // The wait a wake-up ends consumes it, so the next wait sleeps again.
    if (waker != nullptr && (fds[count].revents & POLLIN)) waker->drain();

    int readyItems = 0;
    for (std::size_t i = 0; i < count; ++i) {
        short revents = fds[i].revents;
        // A hang-up reads as readable so the owner's recv sees the end of the stream.
        items[i].readable = (revents & (POLLIN | POLLHUP)) != 0;
        items[i].writable = (revents & POLLOUT) != 0;
        items[i].failed = (revents & (POLLERR | POLLNVAL)) != 0;
        if (items[i].readable || items[i].writable || items[i].failed) ++readyItems;
    }
    return readyItems;
}

}  // namespace tvr::platform
