// SPDX-License-Identifier: MIT
// The controller's side of the mouse relay: the relay starts when a headset connects and the
// user wants the PC mouse relayed, stops when it leaves, and pauses and resumes on the window's
// buttons, the hot keys and the headset's suspension events. Why it cannot capture is shown once.
// The relay follows the headset's login, not its connection: a device that connects without the
// password must not take the PC's pointer away nor receive its movements, and each login starts
// the relay once, towards the address that login came from.
#include "core/paths.h"
#include "core/text.h"
#include "platform/dynamic_library.h"
#include "platform/socket.h"
#include "platform/utf.h"
#include "protocol/status_codes.h"
#include "ui/controller.h"

namespace tvr::ui {

void Controller::startMouse() {
    mouseLibrary_ = options_.mouseLibrary;
    if (mouseLibrary_ == nullptr) {
        curvane_.load(platform::helperLibraryFolders(core::programFolder()));
        mouseLibrary_ = &curvane_;
    }
    mouse_ = std::make_unique<mouse::MouseRelay>(*mouseLibrary_, clock_, &commands_);
    // A handle made and freed at once tells whether this machine can capture at all; the
    // capture itself begins only when a headset connects.
    std::u16string problem;
    if (mouse::CaptureLibrary::Handle hook = mouseLibrary_->create()) {
        mouseLibrary_->release(hook);
    } else {
        problem = mouseLibrary_->problem();
    }
    // The front-end tells this one as it starts (the console in its summary), in its place
    // among the start-up lines; later logins do not repeat it.
    setMouseProblem(std::move(problem), false);
    mouseProblemShown_ = settings_.config().useMouse != 0;
}

void Controller::onMouseStatus(const protocol::StatusSlot& status) {
    namespace status_code = protocol::status;
    switch (status.code) {
        case status_code::kSuspended:
            if (mouse_->isActive() && mouse_->hasHook()) mouse_->pause();
            break;
        case status_code::kResumed:
            if (mouse_->isActive()) resumeMouse();
            break;
        default:
            break;
    }
}

void Controller::followLoginWithMouse() {
    // The events read in this tick may be older than the login in place now (a connection that
    // came and went just before the headset logged in): the login itself names the target.
    const protocol::LoginPeer peer = control_->loginPeer();
    if (peer.login == mouseLogin_) {
        if (mouseRelaying_ && !mouse_->isActive()) {
            // The relay ended itself (the display went away); the next login tries again.
            mouseRelaying_ = false;
            setMouseProblem(mouse_->problem(), true);
        }
        return;
    }
    mouseLogin_ = peer.login;
    mouseRelaying_ = false;
    mouse_->stop();
    if (peer.login == 0 || settings_.config().useMouse == 0) return;
    startMouseRelay(platform::fromAscii(platform::formatIpv4(peer.address)));
    mouseRelaying_ = mouse_->isActive();
}

void Controller::startMouseRelay(std::u16string_view address) {
    const std::int32_t port = settings_.config().portMouse;
    if (const core::SettingProblem* problem = settings_.configProblem(u"iPortMouse")) {
        setMouseProblem(
            core::format(u"[Config] iPortMouse=%s is not a number; give a port from 1 to 65535", {problem->text}),
            true);
        return;
    }
    if (port < 1 || port > 65535) {
        setMouseProblem(core::format(u"[Config] iPortMouse=%d is not a port; give one from 1 to 65535", {port}), true);
        return;
    }
    mouse_->start(address, static_cast<std::uint16_t>(port));
    setMouseProblem(mouse_->problem(), true);
}

void Controller::resumeMouse() {
    if (!running_) return;
    mouse_->resume();
    if (mouse_->isActive()) setMouseProblem(mouse_->problem(), true);
}

void Controller::pauseMouse() {
    if (!running_) return;
    mouse_->pause();
}

std::u16string Controller::mouseProblem() const { return mouseProblem_; }

void Controller::setMouseProblem(std::u16string problem, bool show) {
    if (problem != mouseProblem_) {
        mouseProblem_ = std::move(problem);
        mouseProblemShown_ = false;
    }
    if (show && !mouseProblem_.empty() && !mouseProblemShown_) {
        view_.showProblem(u"mouse relay off: " + mouseProblem_);
        mouseProblemShown_ = true;
    }
}

}  // namespace tvr::ui
