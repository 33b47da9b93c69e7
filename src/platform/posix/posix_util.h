// SPDX-License-Identifier: MIT
#pragma once
// Helpers shared by the POSIX backend only: native paths and system calls retried on EINTR.
#include <cerrno>
#include <string>
#include <string_view>

#include "core/utf.h"
#include "platform/fs.h"

namespace tvr::platform::posix {

/// The UTF-8 path the kernel sees.
inline std::string nativePath(std::u16string_view path) { return core::toUtf8(path); }

/// Calls fn until it stops failing with EINTR; returns its last result.
template <typename Fn>
auto retryOnEintr(Fn fn) -> decltype(fn()) {
    for (;;) {
        auto result = fn();
        if (result != -1 || errno != EINTR) return result;
    }
}

}  // namespace tvr::platform::posix
