// SPDX-License-Identifier: MIT
#pragma once
// The mouse relay: while a headset is connected, the PC mouse is captured and its movement sums
// and buttons go to the headset as one UDP datagram every 17 ms. Holding buttons 1 and 2 down
// for 15 s asks the front-end to drop the headset.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "core/clock.h"
#include "core/command_queue.h"
#include "core/worker_thread.h"
#include "mouse/capture_library.h"
#include "platform/socket.h"
#include "platform/timer_resolution.h"

namespace tvr::mouse {

class MouseRelay {
public:
    /// One datagram per period while relaying, measured against a fixed schedule.
    static constexpr std::chrono::milliseconds kPeriod{17};
    /// How often the sender looks again while it has nothing to send.
    static constexpr std::uint32_t kIdleMs = 100;
    /// How long buttons 1 and 2 must be held together to drop the headset.
    static constexpr std::uint32_t kHoldMs = 15000;

    /// OwnThread sends on the relay's thread; Manual leaves every send to step() (tests).
    enum class Pacing { OwnThread, Manual };

    /// The hold's force-disconnect command (core::kForceDisconnect) goes to frontEnd; the hold is
    /// timed with clock.
    MouseRelay(CaptureLibrary& library, core::Clock& clock, core::CommandQueue* frontEnd,
               Pacing pacing = Pacing::OwnThread);
    /// Stops the thread, then the relay.
    ~MouseRelay();
    MouseRelay(const MouseRelay&) = delete;
    MouseRelay& operator=(const MouseRelay&) = delete;

    /// Captures the mouse and relays it to address:port; false when it cannot (problem() says why).
    /// A relay already running is stopped first, so the counter and sums start again at 0.
    bool start(std::u16string_view address, std::uint16_t port);
    /// Ends relaying and frees the capture and the socket; safe at any time, also while sending.
    void stop();
    /// Captures again with the same counter and sums; returns whether the relay is active.
    bool resume();
    /// Gives the pointer back to the PC; the relay stays active and sends nothing until resumed.
    void pause();
    /// One send step: when active and capturing, takes a snapshot and sends one datagram (true).
    bool step();

    bool isActive() const { return active_.load(); }
    bool isCapturing() const { return capturing_.load(); }
    bool hasHook() const;
    /// Why the last start or resume could not capture; empty when it could.
    std::u16string problem() const;

private:
    std::int32_t loopPass();
    void stopLocked();
    void trackHold(bool bothHeld);

    enum class Hold { Idle, Armed, Fired };

    CaptureLibrary& library_;
    core::Clock& clock_;
    core::CommandQueue* frontEnd_;
    core::WorkerThread thread_;

    // Everything below is guarded by mutex_, which a send step holds throughout, so a stop never
    // frees the capture or the socket under a step. The two flags are atomic as well so that the
    // sender's pacing and the front-end can read them without waiting for a step.
    mutable std::mutex mutex_;
    std::atomic<bool> active_{false};
    std::atomic<bool> capturing_{false};
    CaptureLibrary::Handle hook_ = nullptr;
    platform::SocketHandle socket_ = platform::kInvalidSocket;
    platform::Ipv4Endpoint target_;
    std::uint32_t counter_ = 0;  // kept unsigned so that the counter and the sums wrap instead of overflowing
    std::uint32_t x_ = 0;
    std::uint32_t y_ = 0;
    std::uint32_t wheel_ = 0;
    Hold hold_ = Hold::Idle;
    std::uint32_t holdSince_ = 0;
    std::u16string problem_;

    // The sender thread's own schedule.
    bool wasSending_ = false;
    std::chrono::steady_clock::time_point nextDue_;
    // Windows would round each short wait up to its 15.6 ms tick while relaying.
    std::optional<platform::FineTimerResolution> fineTimer_;
};

}  // namespace tvr::mouse
