// SPDX-License-Identifier: MIT
#include "ui/controller.h"

#include "core/text.h"
#include "core/write_leftovers.h"
#include "protocol/status_codes.h"

namespace tvr::ui {

Controller::Controller(std::u16string settingsPath, StatusView& view, ControllerOptions options)
    : settings_(std::move(settingsPath)),
      view_(view),
      options_(options),
      clock_(options.clock != nullptr ? *options.clock : core::SystemClock::instance()) {}

Controller::~Controller() { stop(); }

bool Controller::start() {
    if (!settings_.load()) {
        settings_.save();
        return false;
    }
    const core::Config& config = settings_.config();
    core::removeWriteLeftovers(settings_.path(), config);
    auto portOf = [&](std::int32_t configured) {
        return options_.anyFreePort ? std::uint16_t{0} : static_cast<std::uint16_t>(configured);
    };
    video_ = std::make_unique<http::VideoServer>();
    control_ = std::make_unique<protocol::ControlServer>(clock_, &commands_, library_);
    running_ = true;
    if (!video_->start(portOf(config.portHttp), control_.get(), options_.bindAddress)) {
        view_.showProblem(
            core::format(u"Video server: port %d cannot be used; videos are not served.", {config.portHttp}));
    }
    if (!control_->startListening(portOf(config.portServer), config, options_.bindAddress)) {
        view_.showProblem(
            core::format(u"Control server: port %d cannot be used; no headset can connect.", {config.portServer}));
    }
    return true;
}

void Controller::tick() {
    if (!running_) return;
    // The slot is emptied as the headset's error reply expects; the events show every change.
    protocol::StatusSlot slot;
    control_->takeStatus(&slot);
    for (const auto& event : control_->takeEvents()) {
        if (event.code != protocol::status::kNone) onStatus(event);
    }
    for (const auto& command : commands_.drain()) onCommand(command);
}

void Controller::onStatus(const protocol::StatusSlot& status) {
    view_.showStatus(platform::nowLocal(), status.code, status.text1, status.text2);
    if (status.code == protocol::status::kDisconnected) {
        video_->requestReleaseAll();
        control_->postWaitingIfIdle();
    }
}

void Controller::onCommand(const core::FrontEndCommand& command) {
    if (command.id == core::kRefreshChannels && command.channel >= 0 && command.channel < core::kChannelCount) {
        auto& channel = settings_.config().channels[static_cast<std::size_t>(command.channel)];
        channel.type = command.type;
        channel.path = command.path;
        settings_.save();
    } else if (command.id == core::kForceDisconnect) {
        forceDisconnect();
    }
}

void Controller::applySettings() {
    if (!running_) return;
    control_->applySettings(settings_.config());
    settings_.save();
}

void Controller::forceDisconnect() {
    if (!running_) return;
    control_->requestForceDisconnect();
    video_->requestReleaseAll();
}

void Controller::stop() {
    if (!running_) return;
    running_ = false;
    video_->close();
    video_.reset();
    control_.reset();  // stops its thread, then tears down: "Release()" and "SHUTDOWN"
    settings_.save();
}

}  // namespace tvr::ui
