// SPDX-License-Identifier: MIT
#include "core/clock.h"

#include "platform/time.h"

namespace tvr::core {

std::uint32_t SystemClock::nowMs() { return platform::monotonicMs(); }

SystemClock& SystemClock::instance() {
    static SystemClock clock;
    return clock;
}

}  // namespace tvr::core
