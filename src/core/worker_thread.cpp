// SPDX-License-Identifier: MIT
#include "core/worker_thread.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <system_error>

namespace tvr::core {

namespace {
// The record whose loop runs on this thread, so a loop can ask its own thread to stop without
// reading the thread handle that its owner writes.
thread_local const WorkerThread* currentWorker = nullptr;
}  // namespace

WorkerThread::~WorkerThread() { stop(); }

bool WorkerThread::start(LoopCallback loop) {
    if (thread_.joinable() || !loop) return false;
    {
        std::lock_guard lock(mutex_);
        stopEvent_ = false;
        doneEvent_ = false;
        woken_ = false;
    }
    loop_ = std::move(loop);
    try {
        thread_ = std::thread([this] { body(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void WorkerThread::body() {
    currentWorker = this;
    while (!stopRequested()) {
        try {
            if (loop_() == 0) break;
        } catch (const std::exception& error) {
            // An exception leaving the thread would end the process: the service says so and goes
            // on after a pause, so a fault that repeats cannot spin.
            std::fprintf(stderr, "worker thread: %s; going on\n", error.what());
            sleepFor(kPauseAfterErrorMs);
        }
    }
    {
        std::lock_guard lock(mutex_);
        doneEvent_ = true;
    }
    changed_.notify_all();
}

void WorkerThread::stop() {
    // A loop callback that stops its own thread cannot wait for itself; the owner joins later.
    bool ownThread = currentWorker == this;
    if (!ownThread && !thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stopEvent_ = true;
    }
    changed_.notify_all();
    waker_.wake();
    if (ownThread) return;
    {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, std::chrono::milliseconds(kStopWaitMs), [this] { return doneEvent_; })) {
            // The thread still works on objects its owner is about to free, so it must be waited for.
            std::fprintf(stderr, "worker thread did not finish within %u ms; still waiting\n",
                         static_cast<unsigned>(kStopWaitMs));
        }
    }
    thread_.join();
    waker_.drain();
}

bool WorkerThread::stopRequested() const {
    std::lock_guard lock(mutex_);
    return stopEvent_;
}

bool WorkerThread::finished() const {
    std::lock_guard lock(mutex_);
    return doneEvent_;
}

bool WorkerThread::sleepFor(std::uint32_t ms) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopEvent_ || woken_; });
    if (woken_) {
        woken_ = false;
        waker_.drain();
    }
    return stopEvent_;
}

int WorkerThread::waitSockets(platform::PollItem* items, std::size_t count, std::uint32_t ms) {
    {
        std::lock_guard lock(mutex_);
        if (stopEvent_ || woken_) {
            woken_ = false;
            waker_.drain();
            for (std::size_t i = 0; i < count; ++i) {
                items[i].readable = false;
                items[i].writable = false;
                items[i].failed = false;
            }
            return 0;
        }
    }
    int timeout = ms > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(ms);
    int ready = platform::pollSockets(items, count, timeout, &waker_);
    std::lock_guard lock(mutex_);
    woken_ = false;
    if (!stopEvent_) waker_.drain();
    return ready;
}

void WorkerThread::wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    changed_.notify_all();
    waker_.wake();
}

}  // namespace tvr::core
