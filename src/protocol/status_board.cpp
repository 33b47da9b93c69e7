// SPDX-License-Identifier: MIT
#include "protocol/status_board.h"

namespace tvr::protocol {

void StatusBoard::post(std::int32_t code, std::u16string_view text1, std::u16string_view text2) {
    std::lock_guard guard(mutex_);
    postLocked(code, text1, text2);
}

void StatusBoard::postLocked(std::int32_t code, std::u16string_view text1, std::u16string_view text2) {
    slot_ = StatusSlot{code, std::u16string(text1), std::u16string(text2), core::stampEvent()};
    ++postCount_;
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

std::uint64_t StatusBoard::postCount() const {
    std::lock_guard guard(mutex_);
    return postCount_;
}

void StatusBoard::refuse(std::u16string request, std::u16string reason) {
    std::lock_guard guard(mutex_);
    // A peer that floods refused requests keeps only the newest ones queued.
    if (refusals_.size() >= kEventCap) refusals_.pop_front();
    refusals_.push_back({std::move(request), std::move(reason), core::stampEvent()});
}

void StatusBoard::note(library::SkipNote skip) {
    std::lock_guard guard(mutex_);
    if (notes_.size() >= kEventCap) notes_.pop_front();
    notes_.push_back({std::move(skip), core::stampEvent()});
}

std::vector<StatusSlot> StatusBoard::takeEvents(std::vector<Refusal>* refusals, std::vector<Note>* notes) {
    std::lock_guard guard(mutex_);
    refusals->assign(std::make_move_iterator(refusals_.begin()), std::make_move_iterator(refusals_.end()));
    refusals_.clear();
    notes->assign(std::make_move_iterator(notes_.begin()), std::make_move_iterator(notes_.end()));
    notes_.clear();
    std::vector<StatusSlot> out(std::make_move_iterator(events_.begin()), std::make_move_iterator(events_.end()));
    events_.clear();
    dropped_ = 0;
    return out;
}

}  // namespace tvr::protocol
