// SPDX-License-Identifier: MIT
#include "mouse/mouse_relay.h"

#include "mouse/mouse_datagram.h"

namespace tvr::mouse {

namespace {

std::int32_t asSigned(std::uint32_t value) { return static_cast<std::int32_t>(value); }

}  // namespace

MouseRelay::MouseRelay(CaptureLibrary& library, core::Clock& clock, core::CommandQueue* frontEnd, Pacing pacing)
    : library_(library), clock_(clock), frontEnd_(frontEnd) {
    if (pacing == Pacing::OwnThread) thread_.start([this] { return loopPass(); });
}

MouseRelay::~MouseRelay() {
    thread_.stop();
    stop();
}

bool MouseRelay::start(std::u16string_view address, std::uint16_t port) {
    {
        std::lock_guard lock(mutex_);
        stopLocked();
        problem_.clear();
        hook_ = library_.create();
        if (hook_ == nullptr) {
            problem_ = library_.problem();
            return false;
        }
        socket_ = platform::udpSocket();
        if (socket_ == platform::kInvalidSocket) {
            stopLocked();
            problem_ = u"no UDP socket can be made for the mouse datagrams";
            return false;
        }
        target_ = platform::Ipv4Endpoint{parseDottedAddress(address), port};
        hold_ = Hold::Idle;
        if (!library_.start(hook_)) {
            problem_ = library_.problem();
            stopLocked();
            return false;
        }
        capturing_ = true;
        counter_ = x_ = y_ = wheel_ = 0;
        active_ = true;
    }
    thread_.wake();
    return true;
}

void MouseRelay::stop() {
    std::lock_guard lock(mutex_);
    stopLocked();
}

void MouseRelay::stopLocked() {
    active_ = false;
    platform::closeSocket(socket_);
    socket_ = platform::kInvalidSocket;
    if (hook_ != nullptr) {
        library_.stop(hook_);
        capturing_ = false;
        library_.release(hook_);
        hook_ = nullptr;
    }
}

bool MouseRelay::resume() {
    {
        std::lock_guard lock(mutex_);
        hold_ = Hold::Idle;
        if (hook_ != nullptr && !capturing_) {
            if (library_.start(hook_)) {
                capturing_ = true;
                problem_.clear();
            } else {
                problem_ = library_.problem();
            }
        }
    }
    thread_.wake();
    return active_;
}

void MouseRelay::pause() {
    std::lock_guard lock(mutex_);
    if (hook_ == nullptr) return;
    library_.stop(hook_);
    capturing_ = false;
}

bool MouseRelay::hasHook() const {
    std::lock_guard lock(mutex_);
    return hook_ != nullptr;
}

std::u16string MouseRelay::problem() const {
    std::lock_guard lock(mutex_);
    return problem_;
}

bool MouseRelay::step() {
    std::lock_guard lock(mutex_);
    if (!active_ || !capturing_ || hook_ == nullptr) return false;
    library_.get(hook_);
    if (library_.state(hook_, kDisplayLost) == 1) {
        // Nothing more can come from this capture: the relay ends and says why.
        problem_ = u"the display went away (the X server ended); the next login tries again";
        stopLocked();
        return false;
    }
    x_ += static_cast<std::uint32_t>(library_.state(hook_, kDeltaX));
    y_ += static_cast<std::uint32_t>(library_.state(hook_, kDeltaY));
    wheel_ += static_cast<std::uint32_t>(library_.state(hook_, kDeltaWheel));
    MouseReport report{asSigned(counter_), asSigned(x_), asSigned(y_), asSigned(wheel_), {}};
    for (std::size_t i = 0; i < report.buttons.size(); ++i) {
        report.buttons[i] = library_.state(hook_, kButton1 + static_cast<std::int32_t>(i));
    }
    std::string datagram = formatMouseDatagram(report);
    ++counter_;
    // A lost datagram is followed by the next one 17 ms later with the same sums.
    platform::sendDatagram(socket_, target_, datagram.data(), datagram.size());
    trackHold(report.buttons[0] == 1 && report.buttons[1] == 1);
    if (library_.state(hook_, kGivenBack) == 1) {
        // The user's key combination already gave the pointer back; the relay counts as paused.
        library_.stop(hook_);
        capturing_ = false;
    }
    return true;
}

void MouseRelay::trackHold(bool bothHeld) {
    if (!bothHeld) {
        hold_ = Hold::Idle;
        return;
    }
    std::uint32_t now = clock_.nowMs();
    if (hold_ == Hold::Idle) {
        hold_ = Hold::Armed;
        holdSince_ = now;
    } else if (hold_ == Hold::Armed && core::elapsedMs(now, holdSince_) >= kHoldMs) {
        hold_ = Hold::Fired;
        core::FrontEndCommand command;
        command.id = core::kForceDisconnect;
        if (frontEnd_ != nullptr) frontEnd_->post(std::move(command));
    }
}

std::int32_t MouseRelay::loopPass() {
    bool sending = active_ && capturing_;
    if (!sending) {
        wasSending_ = false;
        fineTimer_.reset();
        thread_.sleepFor(kIdleMs);
        return 1;
    }
    auto now = std::chrono::steady_clock::now();
    if (!wasSending_) {
        // A start or resume sends at once and begins a new schedule.
        wasSending_ = true;
        fineTimer_.emplace();
        nextDue_ = now;
    }
    if (now < nextDue_) {
        auto wait = std::chrono::ceil<std::chrono::milliseconds>(nextDue_ - now);
        thread_.sleepFor(static_cast<std::uint32_t>(wait.count()));
        return 1;
    }
    step();
    nextDue_ += kPeriod;
    // After a stall (a suspended machine, a long lock) the schedule starts again from now
    // instead of sending the missed datagrams in a burst.
    if (nextDue_ < now) nextDue_ = now + kPeriod;
    return 1;
}

}  // namespace tvr::mouse
