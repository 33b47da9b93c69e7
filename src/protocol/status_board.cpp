// SPDX-License-Identifier: MIT
#include "protocol/status_board.h"

namespace tvr::protocol {

void StatusBoard::post(std::int32_t code, std::u16string_view text1, std::u16string_view text2) {
    std::lock_guard guard(mutex_);
    postLocked(code, text1, text2);
}

void StatusBoard::postLocked(std::int32_t code, std::u16string_view text1, std::u16string_view text2) {
    slot_ = StatusSlot{code, std::u16string(text1), std::u16string(text2)};
    if (events_.size() >= kEventCap) {
        events_.pop_front();
        ++dropped_;
    }
    events_.push_back(slot_);
    if (code >= 0) log_.write(core::eventMessage(code, text1, text2));
}

StatusSlot StatusBoard::current() const {
    std::lock_guard guard(mutex_);
    return slot_;
}

void StatusBoard::take(StatusSlot* slot) {
    std::lock_guard guard(mutex_);
    *slot = slot_;
    slot_ = StatusSlot{};
}

std::vector<StatusSlot> StatusBoard::takeEvents(std::size_t* dropped) {
    std::lock_guard guard(mutex_);
    std::vector<StatusSlot> out(std::make_move_iterator(events_.begin()), std::make_move_iterator(events_.end()));
    events_.clear();
    if (dropped != nullptr) *dropped = dropped_;
    dropped_ = 0;
    return out;
}

}  // namespace tvr::protocol
