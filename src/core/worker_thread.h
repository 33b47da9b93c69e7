// SPDX-License-Identifier: MIT
#pragma once
// The worker-thread record every service loop runs on: a loop callback called until it returns 0
// or a stop is requested (an exception it throws is reported and the loop goes on), a stop event
// and a done event. Stop waits at most 5000 ms for the done event; if the thread is still busy
// then, it says so on stderr and keeps waiting, because the objects the thread works on must
// outlive it.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/poll.h"

namespace tvr::core {

class WorkerThread {
public:
    using LoopCallback = std::function<std::int32_t()>;

    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    /// Starts the thread running loop() until it returns 0 or stop() is called.
    bool start(LoopCallback loop);
    /// Asks the thread to end and waits for it; a second call does nothing.
    void stop();
    /// True when start() succeeded and stop() has not run.
    bool running() const { return thread_.joinable(); }
    /// True once stop() has been requested.
    bool stopRequested() const;
    /// True once the thread has left its loop (the done event is set).
    bool finished() const;
    /// Sleeps up to ms, returning early (true) when a stop is requested.
    bool sleepFor(std::uint32_t ms);
    /// Waits up to ms for socket readiness, a wake() or a stop request; results in items.
    int waitSockets(platform::PollItem* items, std::size_t count, std::uint32_t ms);
    /// Ends the current or next sleepFor/waitSockets early.
    void wake();

    /// How long stop() waits before reporting a thread that does not finish.
    static constexpr std::uint32_t kStopWaitMs = 5000;
    /// How long the thread pauses after its loop threw (the exception is written to stderr).
    static constexpr std::uint32_t kPauseAfterErrorMs = 100;

private:
    void body();

    LoopCallback loop_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool stopEvent_ = false;
    bool doneEvent_ = false;
    bool woken_ = false;
    platform::Waker waker_;
};

}  // namespace tvr::core
