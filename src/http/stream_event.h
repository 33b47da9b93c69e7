// SPDX-License-Identifier: MIT
#pragma once
// What the video server tells the front-end about its streams: each GET it answered (a 404 with
// its reason), each body that ended, and requests that wait for a headset to log in. The server thread adds events; the
// front-end takes them when it draws, and a front-end that never takes them costs at most a fixed number of events.
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "core/event_stamp.h"
#include "http/refusal_reason.h"

namespace tvr::http {

struct StreamEvent {
    // AwaitingLogin: a request waits, unaccepted, while nobody is logged in. LoginWaitOver: no
    // login came in time, and the waiting requests were answered 404 and closed.
    enum class Kind { Request, End, AwaitingLogin, LoginWaitOver } kind = Kind::Request;
    int slot = -1;                               // 0 or 1; -1 for a refused request not bound to a slot
    std::int64_t rangeStart = 0;                 // Request: the Range start (0 without Range)
    std::u16string path;                         // the requested path
    int statusCode = 0;                          // Request: 200, 206, 404, 416
    std::uint64_t bytesSent = 0;                 // End: body bytes sent on that connection
    std::uint32_t durationMs = 0;                // End: from the request to the end of the body
    int connections = 0;                         // LoginWaitOver, OtherHost: the connections answered 404
    RefusalReason reason = RefusalReason::None;  // a 404 Request, LoginWaitOver: why
    std::uint32_t peerAddress = 0;               // OtherHost: the first of those hosts (host order)
    core::EventStamp stamp{};                    // when it was queued
};

/// A bounded, thread-safe queue of stream events; the oldest are dropped when it is full.
class StreamEventQueue {
public:
    static constexpr std::size_t kCapacity = 256;

    /// Adds an event stamped now, dropping the oldest one when the queue is full.
    void push(StreamEvent event);
    /// Returns the queued events, oldest first, and empties the queue.
    std::vector<StreamEvent> take();

private:
    std::mutex mutex_;
    std::deque<StreamEvent> events_;
};

}  // namespace tvr::http
