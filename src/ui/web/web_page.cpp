// SPDX-License-Identifier: MIT
#include "ui/web/web_page.h"

#include <vector>

#include "core/paths.h"
#include "core/text.h"
#include "platform/fs.h"
#include "platform/socket.h"
#include "platform/utf.h"
#include "ui/web/web_password.h"

namespace tvr::ui::web {

bool webPageWanted(const core::Config& config, bool programDefault) {
    if (config.useWeb == 1) return true;
    if (config.useWeb == 0) return false;
    return programDefault;
}

WebPage::WebPage(std::mutex& modelMutex, MainWindowModel& model, WebView& view, core::Clock& clock)
    : mutex_(modelMutex), model_(model), view_(view), clock_(clock) {}

WebPage::~WebPage() {
    // The server's thread ends before the view stops waking it.
    if (server_) server_->stop();
    std::lock_guard<std::mutex> lock(mutex_);
    view_.onEventsAdded(nullptr);
}

bool WebPage::start(std::uint16_t port, const std::u16string& dataFolder, std::u16string* problem, bool homeNetwork) {
    std::optional<std::string> token = randomHex(32);
    if (!token) {
        *problem = u"web page off: the system's random source cannot be read";
        return false;
    }
    token_ = *token;
    std::vector<std::string> names = {"127.0.0.1", "localhost", platform::hostName()};
    for (std::uint32_t address : platform::lanIpv4Addresses()) names.push_back(platform::formatIpv4(address));
    auth_ = std::make_unique<WebAuth>(token_, names, clock_);
    auth_->setPasswordHash(loadWebPasswordHash(dataFolder));
    // The home network gets the page only behind a password: without one it stays on this PC.
    homeNetwork_ = homeNetwork && webPasswordAvailable() && auth_->hasPassword();
    if (homeNetwork && !webPasswordAvailable()) {
        *problem =
            u"web page: [Config] iUseWebLan=1 refused: this build cannot check a web password (built without "
            u"libsodium); the page listens on 127.0.0.1 only";
    } else if (homeNetwork && !homeNetwork_) {
        *problem =
            u"web page: [Config] iUseWebLan=1 refused: no web password is set (tamvikvr-server "
            u"--set-web-password); the page listens on 127.0.0.1 only";
    }
    api_ = std::make_unique<WebApi>(mutex_, model_, view_, *auth_, dataFolder);
    server_ = std::make_unique<WebServer>(*api_);
    if (!server_->start(homeNetwork_ ? kAnyAddress : kLoopbackAddress, port)) {
        *problem = core::format(
            u"web page off: [Config] iPortWeb=%d cannot be used (another program listens on it, or it is not allowed)",
            {port});
        server_.reset();
        return false;
    }
    auth_->setPort(server_->port());
    // A new file each start, so an old one's looser permissions are not kept.
    std::u16string tokenFile = dataFolder;
    core::appendPath(tokenFile, kTokenFileName);
    platform::removeFile(tokenFile);
    if (!platform::writeFileAtomic(tokenFile, token_ + "\n") && problem->empty()) {
        *problem = u"web page: the token file " + platform::displayPath(tokenFile) + u" cannot be written";
    }
    WebServer* server = server_.get();
    std::lock_guard<std::mutex> lock(mutex_);
    view_.onEventsAdded([server] { server->eventsAdded(); });
    return true;
}

std::string WebPage::signInAddress() const {
    return "http://127.0.0.1:" + std::to_string(port()) + "/?token=" + token_;
}

}  // namespace tvr::ui::web
