// SPDX-License-Identifier: MIT
#pragma once
// The web page as a front-end: the sign-in token (random, kept in a private file in the data
// folder), the web password's hash for the home network, the names this machine answers to, and
// the page's server over the window model.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "core/clock.h"
#include "core/settings.h"
#include "ui/main_window_model.h"
#include "ui/web/web_api.h"
#include "ui/web/web_auth.h"
#include "ui/web/web_server.h"
#include "ui/web/web_view.h"

namespace tvr::ui::web {

/// The file in the data folder that keeps the sign-in token (readable by its owner only).
inline constexpr char16_t kTokenFileName[] = u"TamvikVRServer[WebToken].txt";
inline constexpr std::uint32_t kLoopbackAddress = 0x7f000001;
inline constexpr std::uint32_t kAnyAddress = 0;

/// Whether the page runs: iUseWeb 1 or 0 decide; -1 leaves it to the program (on without a window).
bool webPageWanted(const core::Config& config, bool programDefault);

class WebPage {
public:
    /// modelMutex guards the model; whoever ticks it holds the same mutex.
    /// clock: what the web password's lockout is timed by.
    WebPage(std::mutex& modelMutex, MainWindowModel& model, WebView& view,
            core::Clock& clock = core::SystemClock::instance());
    ~WebPage();
    /// Makes the token, writes its file into dataFolder and listens at port: on every IPv4
    /// address when homeNetwork asks for it and a web password is set, else on the loopback
    /// address only (then *problem says why the home network was refused). False with *problem
    /// set when the page cannot run.
    bool start(std::uint16_t port, const std::u16string& dataFolder, std::u16string* problem, bool homeNetwork = false);
    /// True when the page listens for the home network.
    bool onHomeNetwork() const { return homeNetwork_; }
    /// "http://127.0.0.1:11924/?token=...": the address that signs the browser in.
    std::string signInAddress() const;
    /// The port listened on.
    std::uint16_t port() const { return server_ ? server_->port() : 0; }

private:
    std::mutex& mutex_;
    MainWindowModel& model_;
    WebView& view_;
    core::Clock& clock_;
    std::string token_;
    bool homeNetwork_ = false;
    std::unique_ptr<WebAuth> auth_;
    std::unique_ptr<WebApi> api_;
    std::unique_ptr<WebServer> server_;
};

}  // namespace tvr::ui::web
