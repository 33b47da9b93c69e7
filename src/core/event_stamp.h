// SPDX-License-Identifier: MIT
#pragma once
// When something the user reads about happened, and in which order: the control server's
// statuses, the video server's streams and the headset's channel changes reach the front-end on
// separate queues, and their stamps put them back into one order.
#include <cstdint>

#include "platform/time.h"

namespace tvr::core {

struct EventStamp {
    std::uint64_t order = 0;  // grows with every stamp taken in the process
    platform::LocalTime time;
};

/// The stamp of something that happens now (any thread).
EventStamp stampEvent();

}  // namespace tvr::core
