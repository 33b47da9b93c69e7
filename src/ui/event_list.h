// SPDX-License-Identifier: MIT
#pragma once
// The events a window keeps for its user: connections, refusals with their reason, streams and
// problems, the newest last, the oldest dropped beyond a fixed number.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "platform/time.h"

namespace tvr::ui {

enum class EventKind { Status, Server, Stream, Problem };

/// One event as the event window lists it.
struct WindowEvent {
    platform::LocalTime time;
    EventKind kind = EventKind::Status;
    std::u16string text;  // in the window's language where a meaning is known, else as the headset sees it
};

class EventList {
public:
    static constexpr std::size_t kCapacity = 1000;

    /// Keeps the event, dropping the oldest when kCapacity are kept.
    void add(WindowEvent event);
    /// The kept events, oldest first.
    const std::deque<WindowEvent>& events() const { return events_; }
    /// How many events were ever added; a window that listed n of them adds the rest.
    std::uint64_t added() const { return added_; }

private:
    std::deque<WindowEvent> events_;
    std::uint64_t added_ = 0;
};

/// "2026-12-08 20:41:28  接続中 192.168.1.5": one line of the event window.
std::u16string eventLine(const WindowEvent& event);

}  // namespace tvr::ui
