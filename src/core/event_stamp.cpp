// SPDX-License-Identifier: MIT
#include "core/event_stamp.h"

#include <atomic>

namespace tvr::core {

EventStamp stampEvent() {
    static std::atomic<std::uint64_t> next{1};
    EventStamp stamp;
    stamp.order = next.fetch_add(1, std::memory_order_relaxed);
    stamp.time = platform::nowLocal();
    return stamp;
}

}  // namespace tvr::core
