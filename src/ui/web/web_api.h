// SPDX-License-Identifier: MIT
#pragma once
// What the page's server answers: the sign-in (the token on this PC, the web password from the
// home network), the session and anti-forgery checks, the Host
// check, the page's files and the JSON the page reads (status, channels, settings, folders) and
// sends (channels to apply, settings to save), each mapped to the main window model. The model
// is held only while a request's data is copied in or out, never while bytes go to the browser.
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "ui/language.h"
#include "ui/main_window_model.h"
#include "ui/web/web_auth.h"
#include "ui/web/web_request.h"
#include "ui/web/web_view.h"

namespace tvr::ui::web {

/// One answer: status, type, body and any further header lines.
struct WebResponse {
    int status = 200;
    std::string contentType = "application/json; charset=utf-8";
    std::string body;
    std::vector<std::string> headers;  // "Set-Cookie: ...", "Location: ..."
    bool eventStream = false;          // the connection stays open for Server-Sent Events
    std::uint64_t eventsFrom = 0;      // the first event it is sent
};

/// The language a browser's Accept-Language prefers: Japanese when its best range is "ja".
Language languageOfAcceptLanguage(std::string_view header);

class WebApi {
public:
    /// dataFolder: where the web password's hash file goes when the page sets one.
    WebApi(std::mutex& modelMutex, MainWindowModel& model, WebView& view, WebAuth& auth,
           std::u16string dataFolder = {});
    /// Answers one request.
    WebResponse handle(const WebRequest& request);
    /// The events added since `from` as Server-Sent Events; *next is where the next call starts.
    std::string eventsSince(std::uint64_t from, std::uint64_t* next);

private:
    WebResponse signIn(const WebRequest& request);
    WebResponse logIn(const WebRequest& request);
    WebResponse setPassword(const WebRequest& request);
    WebResponse state(const WebRequest& request, const std::string& csrf, bool local);
    WebResponse folders(const WebRequest& request);
    WebResponse applyChannels(const WebRequest& request);
    WebResponse saveSettings(const WebRequest& request);

    std::mutex& mutex_;
    MainWindowModel& model_;
    WebView& view_;
    WebAuth& auth_;
    std::u16string dataFolder_;
};

}  // namespace tvr::ui::web
