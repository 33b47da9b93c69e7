// SPDX-License-Identifier: MIT
#pragma once
// The status slot and the event queue behind it. The slot keeps only the latest event: its code
// and second text make the "#RET_ERR" reply, and the front-end empties it when it reads it. The
// queue keeps every event in order for the front-end's display. Its lock is never held across
// I/O other than the log line, so the front-end never waits on the network.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/event_stamp.h"
#include "core/log.h"
#include "library/skipped_files.h"

namespace tvr::protocol {

/// One status event: code and both texts.
struct StatusSlot {
    std::int32_t code = 0;
    std::u16string text1;
    std::u16string text2;
    core::EventStamp stamp{};  // when it was posted
};

/// A request the server answered with "#RET_ERR", and why (English, with the system's Japanese
/// text where it has one). The headset's reply never carries this; the front-end shows it.
struct Refusal {
    std::u16string request;
    std::u16string reason;
    core::EventStamp stamp{};  // when it was refused
};

/// Something a request met that the user should hear of, though nothing was refused: the files
/// a listing or a search left out for their extension.
struct Note {
    library::SkipNote skip;
    core::EventStamp stamp{};  // when the request met it
};

class StatusBoard {
public:
    /// Events beyond this many unread ones are dropped, oldest first, and counted.
    static constexpr std::size_t kEventCap = 4096;

    explicit StatusBoard(core::ServerLog& log) : log_(log) {}
    /// Fills the slot, queues the event and writes the EVENT line (code >= 0) when the log is open.
    void post(std::int32_t code, std::u16string_view text1, std::u16string_view text2);
    /// The slot's code and second text, for the error reply.
    StatusSlot current() const;
    /// Copies and clears the slot.
    void take(StatusSlot* slot);
    /// Every event since the last call, in order; dropped tells how many were lost to the cap.
    std::vector<StatusSlot> takeEvents(std::size_t* dropped = nullptr);
    /// How many events were ever posted; a handler's run compares it to see whether it posted one.
    std::uint64_t postCount() const;
    /// Queues a refusal for the front-end; the slot and the log stay as they are.
    void refuse(std::u16string request, std::u16string reason);
    /// Queues a note for the front-end; the slot, the log and the reply stay as they are.
    void note(library::SkipNote skip);
    /// Every event, refusal and note since the last call, each in order; their stamps place
    /// them among each other.
    std::vector<StatusSlot> takeEvents(std::vector<Refusal>* refusals, std::vector<Note>* notes);
    /// Runs post() only when stillIdle() holds under the board's lock.
    template <typename Check>
    void postIf(Check stillIdle, std::int32_t code, std::u16string_view text1, std::u16string_view text2) {
        std::lock_guard guard(mutex_);
        if (stillIdle()) postLocked(code, text1, text2);
    }

private:
    void postLocked(std::int32_t code, std::u16string_view text1, std::u16string_view text2);

    core::ServerLog& log_;
    mutable std::mutex mutex_;
    StatusSlot slot_;
    std::deque<StatusSlot> events_;
    std::size_t dropped_ = 0;
    std::uint64_t postCount_ = 0;
    std::deque<Refusal> refusals_;
    std::deque<Note> notes_;
};

}  // namespace tvr::protocol
