// SPDX-License-Identifier: MIT
// SIGINT, SIGTERM and SIGHUP set a flag and write to a self-pipe, so a waiting thread wakes at
// once and the handler itself does nothing but async-signal-safe work. A closed terminal sends
// SIGHUP and leaves the console pipe without a reader: the server stops cleanly on the first and
// ignores SIGPIPE, so a console write to that pipe fails and is dropped instead of ending it.
#include "platform/stop_signal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>

#include "platform/posix/posix_util.h"

namespace tvr::platform {

namespace {

std::atomic<bool> stopRequested{false};
int pipeEnds[2] = {-1, -1};
std::once_flag installed;

void onStopSignal(int) {
    int savedErrno = errno;
    stopRequested.store(true);
    if (pipeEnds[1] >= 0) {
        char byte = 1;
        [[maybe_unused]] ssize_t ignored = ::write(pipeEnds[1], &byte, 1);
    }
    errno = savedErrno;
}

void install() {
    if (::pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0) pipeEnds[0] = pipeEnds[1] = -1;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

}  // namespace

void installStopSignalHandler() { std::call_once(installed, install); }

bool waitForStopSignal(int timeoutMs) {
    const std::uint32_t start = monotonicMs();
    while (!stopRequested.load()) {
        int left = posix::remainingMs(start, timeoutMs);
        if (left == 0 && timeoutMs > 0) break;
        // Without the pipe (not installed, or pipe2 failed) this is a plain bounded sleep that a
        // signal still cuts short with EINTR.
        pollfd item{pipeEnds[0], POLLIN, 0};
        int ready = ::poll(&item, 1, left);
        if (ready < 0 && errno != EINTR) break;
        if (ready > 0) {
            char bytes[16];
            while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) {
            }
        }
        if (timeoutMs == 0) break;
    }
    return stopRequested.load();
}

}  // namespace tvr::platform
