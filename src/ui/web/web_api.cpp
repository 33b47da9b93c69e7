// SPDX-License-Identifier: MIT
#include "ui/web/web_api.h"

#include <algorithm>

#include "platform/utf.h"
#include "ui/console/console_view.h"
#include "ui/web/web_assets.h"
#include "ui/web/web_folders.h"
#include "ui/web/web_json.h"
#include "ui/web/web_password.h"
#include "ui/window_texts.h"

namespace tvr::ui::web {
namespace {

constexpr std::string_view kSessionCookie = "tvr_session";

WebResponse plain(int status, std::string_view text) {
    WebResponse response;
    response.status = status;
    response.contentType = "text/plain; charset=utf-8";
    response.body = std::string(text) + "\n";
    return response;
}

WebResponse json(int status, std::string body) {
    WebResponse response;
    response.status = status;
    response.body = std::move(body);
    return response;
}

Language requestLanguage(const WebRequest& request) {
    std::optional<std::string> chosen = formValue(request.query, "lang");
    if (chosen == "ja") return Language::Japanese;
    if (chosen == "en") return Language::English;
    return languageOfAcceptLanguage(request.acceptLanguage);
}

std::string textsJson(Language language) {
    constexpr std::pair<std::string_view, TextId> kTexts[] = {
        {"title", TextId::AppName},
        {"status", TextId::WebStatus},
        {"address", TextId::WebServerAddress},
        {"problems", TextId::WebProblems},
        {"channels", TextId::WebChannels},
        {"channelHint", TextId::WebChannelHint},
        {"apply", TextId::WebApply},
        {"applied", TextId::WebApplied},
        {"folder", TextId::WebFolderButton},
        {"chooseFolder", TextId::WebChooseFolder},
        {"up", TextId::WebUp},
        {"select", TextId::WebSelect},
        {"cancel", TextId::WebCancel},
        {"computer", TextId::WebComputer},
        {"settings", TextId::WebSettings},
        {"ok", TextId::WebSettingsOk},
        {"saved", TextId::WebSaved},
        {"portNote", TextId::WebPortNote},
        {"events", TextId::WebEvents},
        {"language", TextId::WebLanguage},
        {"password", TextId::WebPassword},
        {"passwordNote", TextId::WebPasswordNote},
        {"passwordSave", TextId::WebPasswordSave},
        {"streams", TextId::WebStreams},
        {"noStreams", TextId::WebNoStreams},
        {"streamFile", TextId::WebStreamFile},
        {"streamPosition", TextId::WebStreamPosition},
        {"streamRate", TextId::WebStreamRate},
    };
    std::string out = "{";
    for (const auto& [key, id] : kTexts) {
        if (out.size() > 1) out += ',';
        out += jsonString(key) + ":" + jsonString(text(id, language));
    }
    return out + "}";
}

std::string escapeHtml(std::u16string_view text) {
    std::string out;
    for (char c : platform::toUtf8(text)) {
        if (c == '<') {
            out += "&lt;";
        } else if (c == '&') {
            out += "&amp;";
        } else if (c == '"') {
            out += "&quot;";
        } else {
            out += c;
        }
    }
    return out;
}

// The sign-in form a browser on the home network gets: a plain form, no script.
WebResponse loginPage(int status, Language language, std::u16string_view message) {
    WebResponse response;
    response.status = status;
    response.contentType = "text/html; charset=utf-8";
    response.body = "<!DOCTYPE html>\n<html lang=\"" + std::string(language == Language::Japanese ? "ja" : "en") +
                    "\"><head><meta charset=\"utf-8\"><meta name=\"viewport\" content=\"width=device-width, "
                    "initial-scale=1\"><title>" +
                    escapeHtml(text(TextId::AppName, language)) + "</title></head><body><h1>" +
                    escapeHtml(text(TextId::AppName, language)) + "</h1><p role=\"alert\">" + escapeHtml(message) +
                    "</p><form method=\"post\" action=\"/login\"><label for=\"password\">" +
                    escapeHtml(text(TextId::WebPassword, language)) +
                    "</label> <input id=\"password\" name=\"password\" type=\"password\" "
                    "autocomplete=\"current-password\" required autofocus> <button type=\"submit\">" +
                    escapeHtml(text(TextId::WebLogIn, language)) + "</button></form></body></html>\n";
    return response;
}

// The cookie carries the session from here on; the token or password leaves the address bar and
// the form at once.
WebResponse sessionOpened(const std::string& session) {
    if (session.empty()) return plain(500, "No random source.");
    WebResponse response = plain(303, "");
    response.headers.push_back("Location: /");
    response.headers.push_back("Set-Cookie: " + std::string(kSessionCookie) + "=" + session +
                               "; Path=/; HttpOnly; SameSite=Strict");
    return response;
}

std::string boolJson(bool value) { return value ? "true" : "false"; }

std::string typesJson(Language language) {
    constexpr TextId kLabels[] = {TextId::TypeVrDevice, TextId::TypePcFolder, TextId::TypePlaylist,
                                  TextId::TypeSearchList, TextId::TypeFavoriteList};
    std::string out = "[";
    std::size_t index = 0;
    for (std::u16string_view name : channelTypeNames()) {
        if (index > 0) out += ',';
        RowEnabling enabling = rowEnabling(name);
        out += "{\"name\":" + jsonString(name) + ",\"label\":" + jsonString(text(kLabels[index++], language)) +
               ",\"pathEdit\":" + boolJson(enabling.pathEdit) + ",\"folder\":" + boolJson(enabling.folderButton) +
               ",\"pcFolder\":" + boolJson(channelTypeFromName(name) == core::kChannelPcFolder) + "}";
    }
    return out + "]";
}

std::string_view fieldKind(FieldKind kind) {
    switch (kind) {
        case FieldKind::Check:
            return "check";
        case FieldKind::Number:
            return "number";
        case FieldKind::Text:
            return "text";
    }
    return "text";
}

// The label of the settings field in the language; a label several fields share (the six speeds)
// gets each field's number among them.
std::u16string fieldLabel(std::size_t index, Language language) {
    const auto& fields = settingsFields();
    std::u16string_view label = language == Language::Japanese ? fields[index].label : fields[index].english;
    auto same = [&](const SettingsField& field) { return field.label == fields[index].label; };
    if (std::count_if(fields.begin(), fields.end(), same) < 2) return std::u16string(label);
    auto number = std::count_if(fields.begin(), fields.begin() + static_cast<std::ptrdiff_t>(index), same) + 1;
    return std::u16string(label) + u" " + platform::fromUtf8(std::to_string(number));
}

// Each body going out: the file, how far into it and how fast, as the console counts bytes.
std::string streamsJson(const std::vector<http::StreamProgress>& streams) {
    std::string out = "[";
    for (const http::StreamProgress& stream : streams) {
        std::u16string position = byteSize(stream.position) + u" / " + byteSize(stream.size);
        if (stream.size > 0)
            position += u" (" + platform::fromUtf8(std::to_string(stream.position * 100 / stream.size)) + u"%)";
        // A rate over a few milliseconds says nothing about the disk or the network.
        constexpr std::uint32_t kRateMinMs = 100;
        std::u16string rate =
            stream.elapsedMs < kRateMinMs ? u"-" : byteSize(stream.bytesSent * 1000 / stream.elapsedMs) + u"/s";
        out += std::string(out.size() > 1 ? "," : "") + "{\"slot\":" + std::to_string(stream.slot) +
               ",\"file\":" + jsonString(stream.path) + ",\"position\":" + jsonString(position) +
               ",\"rate\":" + jsonString(rate) + "}";
    }
    return out + "]";
}

}  // namespace

Language languageOfAcceptLanguage(std::string_view header) {
    // "en-US,en;q=0.9,ja;q=0.8": the range with the highest weight wins, the first among equals.
    double best = -1;
    bool japanese = false;
    while (!header.empty()) {
        std::size_t comma = header.find(',');
        std::string_view range = header.substr(0, comma);
        header = comma == std::string_view::npos ? std::string_view() : header.substr(comma + 1);
        std::size_t semicolon = range.find(';');
        std::string_view tag = range.substr(0, semicolon);
        while (!tag.empty() && tag.front() == ' ') tag.remove_prefix(1);
        while (!tag.empty() && tag.back() == ' ') tag.remove_suffix(1);
        double weight = 1;
        if (semicolon != std::string_view::npos) {
            std::string_view parameter = range.substr(semicolon + 1);
            std::size_t q = parameter.find("q=");
            if (q != std::string_view::npos) {
                std::string digits(parameter.substr(q + 2, 5));
                weight = std::atof(digits.c_str());
            }
        }
        if (weight > best) {
            best = weight;
            japanese = tag == "ja" || tag.substr(0, 3) == "ja-" || tag.substr(0, 3) == "ja_";
        }
    }
    return japanese ? Language::Japanese : Language::English;
}

WebApi::WebApi(std::mutex& modelMutex, MainWindowModel& model, WebView& view, WebAuth& auth, std::u16string dataFolder)
    : mutex_(modelMutex), model_(model), view_(view), auth_(auth), dataFolder_(std::move(dataFolder)) {}

WebResponse WebApi::handle(const WebRequest& request) {
    // A page on another site may point a name of its own at this address (DNS rebinding): only
    // the names of this machine are answered.
    if (!auth_.hostAllowed(request.host)) return plain(403, "This server answers only to its own address.");
    if (request.method == "GET" && request.path == "/" && formValue(request.query, "token")) return signIn(request);
    if (request.method == "POST" && request.path == "/login") return logIn(request);
    std::string session = cookieValue(request.cookie, kSessionCookie);
    const std::string* csrf = auth_.csrfOf(session);
    if (csrf == nullptr) {
        Language language = requestLanguage(request);
        if (request.path == "/" && !request.fromLoopback) return loginPage(401, language, {});
        if (request.path == "/") return plain(401, platform::toUtf8(text(TextId::WebSignIn, language)));
        return json(401, "{\"error\":\"sign in\"}");
    }
    if (request.method == "POST") {
        bool sameOrigin = request.origin.empty() || request.origin == "http://" + request.host;
        if (!sameSecret(request.csrf, *csrf) || !sameOrigin) return json(403, "{\"error\":\"forged\"}");
        if (request.path == "/api/channels") return applyChannels(request);
        if (request.path == "/api/settings") return saveSettings(request);
        // Only the token's session on this PC sets the password a browser elsewhere signs in with.
        if (request.path == "/api/password" && request.fromLoopback && auth_.sessionIsLocal(session))
            return setPassword(request);
        return json(404, "{\"error\":\"not found\"}");
    }
    if (request.method != "GET") return json(405, "{\"error\":\"method\"}");
    if (request.path == "/api/state")
        return state(request, *csrf, request.fromLoopback && auth_.sessionIsLocal(session));
    if (request.path == "/api/folders") return folders(request);
    if (request.path == "/api/events") {
        WebResponse response;
        response.contentType = "text/event-stream; charset=utf-8";
        response.eventStream = true;
        return response;
    }
    if (const WebAsset* asset = findWebAsset(request.path)) {
        WebResponse response;
        response.contentType = std::string(asset->contentType) + "; charset=utf-8";
        response.body = std::string(asset->bytes);
        return response;
    }
    return json(404, "{\"error\":\"not found\"}");
}

WebResponse WebApi::signIn(const WebRequest& request) {
    // A token seen from elsewhere (a copied address, a shoulder) signs nobody in.
    if (!request.fromLoopback)
        return loginPage(403, requestLanguage(request), text(TextId::WebTokenLocalOnly, requestLanguage(request)));
    if (!auth_.tokenMatches(formValue(request.query, "token").value_or(std::string())))
        return plain(403, platform::toUtf8(text(TextId::WebSignIn, requestLanguage(request))));
    return sessionOpened(auth_.openSession(true));
}

WebResponse WebApi::logIn(const WebRequest& request) {
    Language language = requestLanguage(request);
    bool sameOrigin = request.origin.empty() || request.origin == "http://" + request.host;
    if (!sameOrigin) return plain(403, "forged");
    switch (auth_.logIn(formValue(request.body, "password").value_or(std::string()))) {
        case WebAuth::Login::SignedIn:
            return sessionOpened(auth_.openSession(false));
        case WebAuth::Login::LockedOut:
            return loginPage(429, language, text(TextId::WebPasswordLocked, language));
        case WebAuth::Login::NoPassword:
            return loginPage(403, language, text(TextId::WebSignIn, language));
        case WebAuth::Login::Wrong:
            break;
    }
    return loginPage(403, language, text(TextId::WebPasswordWrong, language));
}

WebResponse WebApi::setPassword(const WebRequest& request) {
    std::optional<std::string> password = formValue(request.body, "password");
    std::u16string problem;
    if (!password || !storeWebPassword(dataFolder_, *password, &problem))
        return json(400, "{\"ok\":false,\"message\":" + jsonString(problem) + "}");
    auth_.setPasswordHash(loadWebPasswordHash(dataFolder_));
    return json(200, "{\"ok\":true}");
}

WebResponse WebApi::state(const WebRequest& request, const std::string& csrf, bool local) {
    Language language = requestLanguage(request);
    std::string out = "{\"csrf\":" + jsonString(csrf) + ",\"local\":" + boolJson(local) +
                      ",\"passwordAvailable\":" + boolJson(webPasswordAvailable()) + ",\"lang\":\"" +
                      (language == Language::Japanese ? "ja" : "en") + "\",\"texts\":" + textsJson(language) +
                      ",\"types\":" + typesJson(language);
    std::lock_guard<std::mutex> lock(mutex_);
    out += ",\"address\":" + jsonString(view_.address()) + ",\"state\":" + jsonString(view_.tooltip()) +
           ",\"statusParts\":[" + jsonString(model_.statusText(0)) + "," + jsonString(model_.statusText(1)) +
           "],\"problems\":[";
    for (std::size_t i = 0; i < model_.problems().size(); ++i)
        out += (i > 0 ? "," : "") + jsonString(model_.problems()[i]);
    out += "],\"streams\":" + streamsJson(model_.streamsInProgress()) + ",\"rows\":[";
    ChannelRows rows = view_.rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RowEnabling& enabling = view_.enabling()[i];
        out += std::string(i > 0 ? "," : "") + "{\"type\":" + jsonString(rows[i].typeName) +
               ",\"path\":" + jsonString(rows[i].path) + ",\"pathEdit\":" + boolJson(enabling.pathEdit) +
               ",\"folder\":" + boolJson(enabling.folderButton) + "}";
    }
    out += "],\"settings\":[";
    SettingsFormValues values = settingsFormFrom(model_.controller().settings().config());
    for (std::size_t i = 0; i < settingsFields().size(); ++i) {
        const SettingsField& field = settingsFields()[i];
        out += std::string(i > 0 ? "," : "") + "{\"label\":" + jsonString(fieldLabel(i, language)) + ",\"kind\":\"" +
               std::string(fieldKind(field.kind)) + "\",\"text\":" + jsonString(values[i].text) +
               ",\"checked\":" + boolJson(values[i].checked) + ",\"digits\":" + boolJson(field.digitsOnly) +
               ",\"masked\":" + boolJson(field.masked) + ",\"readOnly\":" + boolJson(field.readOnly) +
               ",\"port\":" + boolJson(field.port) + "}";
    }
    return json(200, out + "]}");
}

WebResponse WebApi::folders(const WebRequest& request) {
    std::optional<std::string> path = formValue(request.query, "path");
    std::string body = folderListJson(platform::fromUtf8(path.value_or(std::string())));
    return json(body.empty() ? 404 : 200, body.empty() ? "{\"error\":\"no folder\"}" : body);
}

WebResponse WebApi::applyChannels(const WebRequest& request) {
    ChannelRows rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::optional<std::string> type = formValue(request.body, "t" + std::to_string(i));
        std::optional<std::string> path = formValue(request.body, "p" + std::to_string(i));
        if (!type || !path) return json(400, "{\"error\":\"rows\"}");
        rows[i] = {platform::fromUtf8(*type), platform::fromUtf8(*path)};
    }
    std::lock_guard<std::mutex> lock(mutex_);
    view_.setRows(rows);
    model_.run(Command::Apply);
    return json(200, "{\"ok\":true}");
}

WebResponse WebApi::saveSettings(const WebRequest& request) {
    SettingsFormValues values;
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::optional<std::string> value = formValue(request.body, "f" + std::to_string(i));
        if (!value) return json(400, "{\"error\":\"fields\"}");
        values[i].text = platform::fromUtf8(*value);
        values[i].checked = *value == "1";
    }
    std::lock_guard<std::mutex> lock(mutex_);
    view_.setSettingsForm(values, requestLanguage(request));
    model_.run(Command::Settings);
    const std::u16string& refusal = view_.settingsRefusal();
    if (!refusal.empty()) return json(400, "{\"ok\":false,\"message\":" + jsonString(refusal) + "}");
    return json(200, "{\"ok\":true}");
}

std::string WebApi::eventsSince(std::uint64_t from, std::uint64_t* next) {
    std::string out;
    std::lock_guard<std::mutex> lock(mutex_);
    const EventList& list = model_.events();
    std::uint64_t added = list.added();
    std::uint64_t first = added - list.events().size();
    for (std::uint64_t index = std::max(from, first); index < added; ++index) {
        const WindowEvent& event = list.events()[static_cast<std::size_t>(index - first)];
        out += "id: " + std::to_string(index + 1) + "\ndata: {\"line\":" + jsonString(eventLine(event)) +
               ",\"problem\":" + boolJson(event.kind == EventKind::Problem) + "}\n\n";
    }
    *next = added;
    return out;
}

}  // namespace tvr::ui::web
