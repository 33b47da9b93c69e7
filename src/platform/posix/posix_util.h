// SPDX-License-Identifier: MIT
#pragma once
// Helpers shared by the POSIX backend only: native paths and system calls retried on EINTR.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/fs.h"
#include "platform/time.h"
#include "platform/utf.h"

namespace tvr::platform::posix {

/// The user's home folder: $HOME, else the password database; empty when unknown.
std::string homeFolder();

/// The UTF-8 path the kernel sees.
inline std::string nativePath(std::u16string_view path) { return platform::toUtf8(path); }

/// Calls fn until it stops failing with EINTR; returns its last result.
template <typename Fn>
auto retryOnEintr(Fn fn) -> decltype(fn()) {
    for (;;) {
        auto result = fn();
        if (result != -1 || errno != EINTR) return result;
    }
}

/// Opens a regular file for reading. Named pipes and devices are refused (ENXIO) without waiting
/// for a writer, folders too (EISDIR); the descriptor returned blocks as usual.
inline int openRegularFile(const std::string& path, int extraFlags) {
    int fd = retryOnEintr([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | extraFlags); });
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        int error = S_ISDIR(st.st_mode) ? EISDIR : ENXIO;
        ::close(fd);
        errno = error;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

/// Writes all bytes to a blocking descriptor; false on the first failure.
inline bool writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = retryOnEintr([&] { return ::write(fd, bytes.data() + done, bytes.size() - done); });
        if (put <= 0) return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

/// What is left of a poll time-out begun at `startMs` (monotonicMs); negative means no limit.
inline int remainingMs(std::uint32_t startMs, int timeoutMs) {
    if (timeoutMs <= 0) return timeoutMs;
    std::uint32_t spent = monotonicMs() - startMs;
    return spent >= static_cast<std::uint32_t>(timeoutMs) ? 0 : timeoutMs - static_cast<int>(spent);
}

}  // namespace tvr::platform::posix
