// SPDX-License-Identifier: MIT
#pragma once
// Millisecond ticks that wrap at 2^32 and are compared by unsigned subtraction. Services take
// a Clock so that tests advance time instead of sleeping through lockouts and time-outs.
#include <atomic>
#include <cstdint>

namespace tvr::core {

class Clock {
public:
    virtual ~Clock() = default;
    /// The current tick in milliseconds.
    virtual std::uint32_t nowMs() = 0;
};

/// The monotonic system clock.
class SystemClock final : public Clock {
public:
    std::uint32_t nowMs() override;
    /// A process-wide instance.
    static SystemClock& instance();
};

/// A clock that moves only when told to (tests).
class ManualClock final : public Clock {
public:
    explicit ManualClock(std::uint32_t start = 1000) : now_(start) {}
    std::uint32_t nowMs() override {
        ++reads_;
        return now_.load();
    }
    /// Moves the clock forward.
    void advance(std::uint32_t ms) { now_ += ms; }
    /// How often the clock was read: a service's reads show that it ran, where a test would
    /// otherwise have to sleep.
    std::uint64_t reads() const { return reads_.load(); }

private:
    std::atomic<std::uint32_t> now_;
    std::atomic<std::uint64_t> reads_{0};
};

/// Milliseconds from `since` to `now` across a wrap.
inline std::uint32_t elapsedMs(std::uint32_t now, std::uint32_t since) { return now - since; }

}  // namespace tvr::core
