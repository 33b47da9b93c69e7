// SPDX-License-Identifier: MIT
#include "http/stream_event.h"

#include <iterator>

namespace tvr::http {

void StreamEventQueue::push(StreamEvent event) {
    std::lock_guard<std::mutex> lock(mutex_);
    // Stamped under the lock, so the queue's order and the stamps' agree.
    event.stamp = core::stampEvent();
    if (events_.size() == kCapacity) events_.pop_front();
    events_.push_back(std::move(event));
}

std::vector<StreamEvent> StreamEventQueue::take() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<StreamEvent> out(std::make_move_iterator(events_.begin()), std::make_move_iterator(events_.end()));
    events_.clear();
    return out;
}

}  // namespace tvr::http
