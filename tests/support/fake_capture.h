// SPDX-License-Identifier: MIT
#pragma once
// A scripted stand-in for the mouse capture library: each snapshot takes the next queued
// movement, buttons stay as last set, and every call is recorded so that tests can see the
// order of calls and any call on a released handle.
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "mouse/capture_library.h"

namespace tvr::test {

class FakeCapture final : public mouse::CaptureLibrary {
public:
    struct Move {
        std::int32_t dx = 0;
        std::int32_t dy = 0;
        std::int32_t wheel = 0;
    };

    /// Queues the movement of one later snapshot.
    void push(Move move) {
        std::lock_guard lock(mutex_);
        moves_.push_back(move);
    }
    /// Buttons 1 to 3 as every later snapshot reports them.
    void setButtons(std::array<std::int32_t, 3> buttons) {
        std::lock_guard lock(mutex_);
        buttons_ = buttons;
    }
    /// The next snapshot reports that the user's keys gave the pointer back.
    void giveBack() {
        std::lock_guard lock(mutex_);
        givenBack_ = true;
    }
    /// get() waits inside until openGate(); insideGet() tells when a get is waiting.
    void closeGate() {
        std::lock_guard lock(mutex_);
        gateOpen_ = false;
    }
    void openGate() {
        {
            std::lock_guard lock(mutex_);
            gateOpen_ = true;
        }
        changed_.notify_all();
    }
    bool waitInsideGet() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [this] { return insideGet_; });
    }

    std::vector<std::string> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    bool capturing() const {
        std::lock_guard lock(mutex_);
        return capturing_;
    }
    int liveHandles() const {
        std::lock_guard lock(mutex_);
        return liveHandles_;
    }
    /// True when any call reached a handle after its release.
    bool misused() const {
        std::lock_guard lock(mutex_);
        return misused_;
    }

    bool createFails = false;
    bool startFails = false;

    Handle create() override {
        std::lock_guard lock(mutex_);
        calls_.push_back("create");
        if (createFails) return nullptr;
        ++liveHandles_;
        released_ = false;
        return &token_;
    }
    bool start(Handle hook) override {
        std::lock_guard lock(mutex_);
        record("start", hook);
        capturing_ = !startFails;
        givenBack_ = false;
        return !startFails;
    }
    void stop(Handle hook) override {
        std::lock_guard lock(mutex_);
        record("stop", hook);
        capturing_ = false;
    }
    void get(Handle hook) override {
        std::unique_lock lock(mutex_);
        record("get", hook);
        insideGet_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return gateOpen_; });
        insideGet_ = false;
        Move move = moves_.empty() ? Move{} : moves_.front();
        if (!moves_.empty()) moves_.pop_front();
        snapshot_ = {move.dx, move.dy, move.wheel, buttons_[0], buttons_[1], buttons_[2], givenBack_ ? 1 : 0};
        if (givenBack_) capturing_ = false;
        calls_.push_back("get done");
    }
    std::int32_t state(Handle hook, std::int32_t index) override {
        std::lock_guard lock(mutex_);
        if (hook != &token_ || released_) misused_ = true;
        return index >= 0 && index < 7 ? snapshot_[static_cast<std::size_t>(index)] : 0;
    }
    void release(Handle hook) override {
        std::lock_guard lock(mutex_);
        record("release", hook);
        --liveHandles_;
        released_ = true;
    }
    std::u16string problem() override { return createFails || startFails ? u"the fake refuses" : u""; }

private:
    void record(const char* call, Handle hook) {
        calls_.push_back(call);
        if (hook != &token_ || released_) misused_ = true;
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Move> moves_;
    std::array<std::int32_t, 3> buttons_{};
    std::array<std::int32_t, 7> snapshot_{};
    std::vector<std::string> calls_;
    int token_ = 0;
    int liveHandles_ = 0;
    bool released_ = false;
    bool capturing_ = false;
    bool givenBack_ = false;
    bool misused_ = false;
    bool gateOpen_ = true;
    bool insideGet_ = false;
};

}  // namespace tvr::test
