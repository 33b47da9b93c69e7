// SPDX-License-Identifier: MIT
// The web page's server over real loopback sockets and a real window model: who gets what
// without signing in, the anti-forgery token, foreign Host names, bounded requests, the page's
// apply, settings, folders and live events, and the web password from the home network.
#include "ui/web/web_page.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "core/text.h"
#include "platform/poll.h"
#include "platform/socket.h"
#include "platform/utf.h"
#include "support/data_folder_scope.h"
#include "support/stored_path.h"
#include "support/temp_folder.h"
#include "ui/dialog_ids.h"
#include "ui/settings_form.h"
#include "ui/web/web_json.h"
#include "ui/web/web_password.h"
#include "ui/window_texts.h"

namespace tvr::test {
namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;

// Sends the bytes and reads until the server closes, or until `until` shows in what came.
std::string exchange(std::uint16_t port, const std::string& request, std::string_view until = {},
                     const std::function<void()>& whileWaiting = {}, std::uint32_t address = kLoopback) {
    platform::SocketHandle socket = platform::tcpConnect({address, port}, 2000);
    if (socket == platform::kInvalidSocket) return "(no connection)";
    std::size_t sent = 0;
    std::string received;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(8);
    while (std::chrono::steady_clock::now() < deadline) {
        platform::PollItem item{socket, true, sent < request.size()};
        platform::pollSockets(&item, 1, 20, nullptr);
        if (sent < request.size()) {
            platform::IoResult result = platform::sendSome(socket, request.data() + sent, request.size() - sent);
            if (result.status == platform::IoStatus::Ok) sent += result.bytes;
        }
        char buffer[4096];
        platform::IoResult result = platform::recvSome(socket, buffer, sizeof buffer);
        if (result.status == platform::IoStatus::Ok) received.append(buffer, result.bytes);
        if (result.status == platform::IoStatus::Closed || result.status == platform::IoStatus::Error) break;
        if (!until.empty() && received.find(until) != std::string::npos) break;
        if (whileWaiting) whileWaiting();
    }
    platform::closeSocket(socket);
    return received;
}

class WebPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        dataFolder.set(exe);
        ASSERT_TRUE(model.loadSettings());
        model.start();
        view.setController(&model.controller());
        std::u16string problem;
        ASSERT_TRUE(page.start(0, exe, &problem)) << platform::toUtf8(problem);
        EXPECT_TRUE(problem.empty());
        host = "127.0.0.1:" + std::to_string(page.port());
        token = folder.read("TamvikVRServer[WebToken].txt");
        ASSERT_EQ(token.size(), 65u);
        token.pop_back();
    }
    std::string get(const std::string& target, const std::string& extra = {}) {
        return exchange(page.port(), "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\n" + extra + "\r\n");
    }
    std::string post(const std::string& target, const std::string& body, const std::string& extra) {
        return exchange(page.port(), "POST " + target + " HTTP/1.1\r\nHost: " + host +
                                         "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                                         std::to_string(body.size()) + "\r\n" + extra + "\r\n" + body);
    }
    // Signs in with the token: the cookie header line, and the session's anti-forgery token.
    void signIn() {
        std::string answer = get("/?token=" + token);
        ASSERT_EQ(answer.rfind("HTTP/1.1 303", 0), 0u) << answer;
        std::size_t at = answer.find("tvr_session=");
        ASSERT_NE(at, std::string::npos);
        cookie = "Cookie: " + answer.substr(at, answer.find(';', at) - at) + "\r\n";
        std::string state = get("/api/state", cookie);
        std::size_t csrfAt = state.find("\"csrf\":\"");
        ASSERT_NE(csrfAt, std::string::npos) << state;
        csrfAt += 8;
        csrf = "X-Tvr-Csrf: " + state.substr(csrfAt, state.find('"', csrfAt) - csrfAt) + "\r\n";
    }
    void tick() {
        std::lock_guard<std::mutex> lock(mutex);
        model.tick();
    }
    std::u16string channelPath(int index) {
        std::lock_guard<std::mutex> lock(mutex);
        return model.controller().settings().config().channels[static_cast<std::size_t>(index)].path;
    }
    std::string channelsForm(const std::string& row1Path) {
        std::string form;
        std::lock_guard<std::mutex> lock(mutex);
        ui::ChannelRows rows = view.rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            std::string path = i == 1 ? row1Path : platform::toUtf8(rows[i].path);
            form += "t" + std::to_string(i) + "=" + percentEncode(platform::toUtf8(rows[i].typeName)) + "&p" +
                    std::to_string(i) + "=" + percentEncode(path) + "&";
        }
        return form;
    }
    static std::string percentEncode(const std::string& text) {
        std::string out;
        constexpr char kDigits[] = "0123456789ABCDEF";
        for (unsigned char c : text) {
            if (std::isalnum(c) || c == '/' || c == '.' || c == '-' || c == '_') {
                out += static_cast<char>(c);
            } else {
                out += '%';
                out += kDigits[c >> 4];
                out += kDigits[c & 15];
            }
        }
        return out;
    }

    TempFolder folder;
    DataFolderScope dataFolder;
    std::u16string exe = storedPath(folder.path16());
    ui::web::WebView view;
    ui::MainWindowModel model{folder.file16("TamvikVRServer.ini"), view, exe,
                              ui::ControllerOptions{nullptr, true, kLoopback}};
    std::mutex mutex;
    core::ManualClock clock;
    ui::web::WebPage page{mutex, model, view, clock};
    std::string host, token, cookie, csrf;
};

// Without the token or a session nothing that tells about this user leaves: no settings, no
// folder names, not even on loopback; a wrong token opens no session.
TEST_F(WebPageTest, WithoutSigningInNothingIsTold) {
    folder.makeFolder("private-folder-name");
    const std::string folders = "/api/folders?path=" + folder.path();
    struct Case {
        std::string target;
        std::string extra;
        std::string status;
    };
    const Case cases[] = {
        {"/api/state", "", "401"},
        {folders, "", "401"},
        {"/", "", "401"},
        {"/api/state", "Cookie: tvr_session=" + std::string(64, 'a') + "\r\n", "401"},
        {"/?token=" + std::string(64, '0'), "", "403"},
        {"/?token=", "", "403"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target + " " + c.extra);
        std::string answer = get(c.target, c.extra);
        EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 " + c.status) << answer;
        EXPECT_EQ(answer.find("Set-Cookie"), std::string::npos);
        EXPECT_EQ(answer.find("private-folder-name"), std::string::npos);
        EXPECT_EQ(answer.find("pcExt"), std::string::npos);
        EXPECT_EQ(answer.find("ch3.vrl"), std::string::npos);
        EXPECT_NE(answer.find("Cache-Control: no-store"), std::string::npos);
    }
    signIn();
    std::string listed = get(folders, cookie);
    EXPECT_NE(listed.find("private-folder-name"), std::string::npos) << listed;
}

// The session cookie is HttpOnly and SameSite=Strict; the page's answers are never cached and
// allow script only from the page itself.
TEST_F(WebPageTest, SignInSetsAStrictCookieAndThePageForbidsInlineScript) {
    std::string answer = get("/?token=" + token);
    EXPECT_NE(answer.find("; Path=/; HttpOnly; SameSite=Strict"), std::string::npos) << answer;
    EXPECT_NE(answer.find("Location: /\r\n"), std::string::npos);
    signIn();
    std::string page = get("/", cookie);
    EXPECT_EQ(page.rfind("HTTP/1.1 200", 0), 0u);
    EXPECT_NE(page.find("Content-Security-Policy: default-src 'self';"), std::string::npos);
    EXPECT_NE(page.find("Cache-Control: no-store"), std::string::npos);
    EXPECT_NE(page.find("<script src=\"/app.js\""), std::string::npos);
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_EQ(get("/app.js", cookie).rfind("HTTP/1.1 200", 0), 0u);
}

// A page of another site may send the browser's cookie with a form or point its own name at this
// address: a POST without the session's anti-forgery token, from another origin, or any request
// whose Host is not this machine is refused and changes nothing.
TEST_F(WebPageTest, ForgedAndForeignRequestsAreRefused) {
    signIn();
    std::u16string before = channelPath(1);
    const std::string form = channelsForm("/forged");
    struct Case {
        std::string extra;
        std::string status;
    };
    const Case cases[] = {
        {cookie, "403"},
        {cookie + "X-Tvr-Csrf: " + std::string(64, 'b') + "\r\n", "403"},
        {cookie + csrf + "Origin: http://evil.example\r\n", "403"},
        {csrf, "401"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extra);
        std::string answer = post("/api/channels", form, c.extra);
        EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 " + c.status) << answer;
        EXPECT_EQ(channelPath(1), before);
    }
    const std::string foreignHosts[] = {"evil.example:" + std::to_string(page.port()), "127.0.0.1", "localhost:1", ""};
    for (const std::string& foreign : foreignHosts) {
        SCOPED_TRACE(foreign);
        std::string answer =
            exchange(page.port(), "GET /api/state HTTP/1.1\r\nHost: " + foreign + "\r\n" + cookie + "\r\n");
        EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 403") << answer;
        EXPECT_EQ(answer.find("csrf"), std::string::npos);
    }
    std::string local =
        exchange(page.port(), "GET /api/state HTTP/1.1\r\nHost: LOCALHOST:" + std::to_string(page.port()) + "\r\n" +
                                  cookie + "\r\n");
    EXPECT_EQ(local.substr(0, 12), "HTTP/1.1 200") << local;
}

// A head beyond 8 KiB, a body announced beyond 64 KiB, a chunked body or a malformed line get a
// refusal and the connection ends; the server goes on answering.
TEST_F(WebPageTest, RequestsAreBounded) {
    struct Case {
        std::string request;
        std::string status;
    };
    const Case cases[] = {
        {"GET / HTTP/1.1\r\nHost: " + host + "\r\nX-Pad: " + std::string(9000, 'x') + "\r\n\r\n", "413"},
        {"POST /api/channels HTTP/1.1\r\nHost: " + host + "\r\nContent-Length: 70000\r\n\r\n", "413"},
        {"POST /api/channels HTTP/1.1\r\nHost: " + host + "\r\nTransfer-Encoding: chunked\r\n\r\n", "400"},
        {"GET / HTTP/1.1\r\nHost: a\r\nHost: b\r\n\r\n", "400"},
        {"GET nowhere HTTP/1.1\r\n\r\n", "400"},
        {"GET /%00 HTTP/1.1\r\n\r\n", "400"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request.substr(0, 60));
        std::string answer = exchange(page.port(), c.request);
        EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 " + c.status) << answer.substr(0, 200);
    }
    EXPECT_EQ(get("/api/state").substr(0, 12), "HTTP/1.1 401");
}

// 適用 from the page is the window's: the channel is stored, and a folder that is not there is
// told in the event stream of an open page, without reloading it.
TEST_F(WebPageTest, ApplyStoresTheRowsAndTheEventStreamTellsAMissingFolder) {
    signIn();
    folder.makeFolder("videos");
    std::string answer = post("/api/channels", channelsForm(folder.path() + "/videos"), cookie + csrf);
    EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 200") << answer;
    EXPECT_EQ(channelPath(1), folder.path16() + u"/videos");

    platform::SocketHandle stream = platform::tcpConnect({kLoopback, page.port()}, 2000);
    ASSERT_NE(stream, platform::kInvalidSocket);
    std::string request = "GET /api/events HTTP/1.1\r\nHost: " + host + "\r\n" + cookie + "\r\n";
    ASSERT_EQ(platform::sendSome(stream, request.data(), request.size()).bytes, request.size());
    answer = post("/api/channels", channelsForm(folder.path() + "/gone"), cookie + csrf);
    EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 200") << answer;
    std::string expected = platform::toUtf8(core::format(ui::text(ui::TextId::FolderMissing), {2, u""}));
    std::string received;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (received.find(expected) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        tick();
        platform::PollItem item{stream, true};
        platform::pollSockets(&item, 1, 10, nullptr);
        char buffer[4096];
        platform::IoResult result = platform::recvSome(stream, buffer, sizeof buffer);
        if (result.status == platform::IoStatus::Ok) received.append(buffer, result.bytes);
    }
    platform::closeSocket(stream);
    EXPECT_NE(received.find("Content-Type: text/event-stream"), std::string::npos) << received;
    EXPECT_NE(received.find(expected), std::string::npos) << received;
    EXPECT_NE(received.find("/gone"), std::string::npos);
}

// The settings form goes through the dialog's rules: a port outside 1 to 65535 is refused with
// the dialog's message, in the page's language, and nothing changes; a valid form is saved.
TEST_F(WebPageTest, SettingsAreReadWithTheDialogsRules) {
    signIn();
    auto form = [&](const std::string& port, const std::string& extensions) {
        std::lock_guard<std::mutex> lock(mutex);
        ui::SettingsFormValues values = ui::settingsFormFrom(model.controller().settings().config());
        std::string body;
        for (std::size_t i = 0; i < values.size(); ++i) {
            int id = ui::settingsFields()[i].id;
            std::string value = ui::settingsFields()[i].kind == ui::FieldKind::Check ? (values[i].checked ? "1" : "0")
                                                                                     : platform::toUtf8(values[i].text);
            if (id == IDC_PORT_HTTP) value = port;
            if (id == IDC_EXTENSIONS) value = extensions;
            body += "f" + std::to_string(i) + "=" + percentEncode(value) + "&";
        }
        return body;
    };
    for (auto [query, language] :
         {std::pair{"?lang=ja", ui::Language::Japanese}, {"?lang=en", ui::Language::English}}) {
        std::string refused = post(std::string("/api/settings") + query, form("0", "mkv"), cookie + csrf);
        EXPECT_EQ(refused.substr(0, 12), "HTTP/1.1 400") << refused;
        std::string message = ui::web::jsonString(core::format(ui::text(ui::TextId::PortOutOfRange, language),
                                                               {ui::text(ui::TextId::PortHttpLabel, language)}));
        EXPECT_NE(refused.find("\"message\":" + message), std::string::npos) << refused;
    }
    std::string saved = post("/api/settings", form("12001", "mkv mp4"), cookie + csrf);
    EXPECT_EQ(saved.substr(0, 12), "HTTP/1.1 200") << saved;
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(model.controller().settings().config().portHttp, 12001);
    EXPECT_EQ(model.controller().settings().config().extensions, u"mkv mp4");
}

// The home network gets the page only behind the web password: refused at start without one; the
// password is set by the token's session on this PC and kept only as a hash; from another address
// the token opens nothing, the password does, and a wrong one locks every try out for the
// headset's 30 s (the lockout timed by the injected clock).
TEST_F(WebPageTest, TheHomeNetworkSignsInWithTheWebPasswordAndIsLockedOutAfterAWrongOne) {
    if (!ui::web::webPasswordAvailable()) GTEST_SKIP() << "built without libsodium";
    std::vector<std::uint32_t> lan = platform::lanIpv4Addresses();
    if (lan.empty()) GTEST_SKIP() << "this machine has no address but loopback";
    const std::string secret = "correct horse 7";
    std::u16string problem;
    {
        ui::web::WebPage refused{mutex, model, view, clock};
        ASSERT_TRUE(refused.start(0, exe, &problem, true));
        EXPECT_FALSE(refused.onHomeNetwork());
        EXPECT_NE(platform::toUtf8(problem).find("iUseWebLan=1 refused: no web password"), std::string::npos);
        EXPECT_EQ(exchange(refused.port(), "GET / HTTP/1.1\r\n\r\n", {}, {}, lan[0]), "(no connection)");
    }
    signIn();
    EXPECT_EQ(post("/api/password", "password=short", cookie + csrf).substr(0, 12), "HTTP/1.1 400");
    std::string set = post("/api/password", "password=" + percentEncode(secret), cookie + csrf);
    ASSERT_EQ(set.substr(0, 12), "HTTP/1.1 200") << set;

    problem.clear();
    ui::web::WebPage lanPage{mutex, model, view, clock};
    ASSERT_TRUE(lanPage.start(0, exe, &problem, true));
    EXPECT_TRUE(problem.empty()) << platform::toUtf8(problem);
    EXPECT_TRUE(lanPage.onHomeNetwork());
    const std::string lanHost = platform::formatIpv4(lan[0]) + ":" + std::to_string(lanPage.port());
    auto fromLan = [&](const std::string& method, const std::string& target, const std::string& extra,
                       const std::string& body = {}) {
        return exchange(lanPage.port(),
                        method + " " + target + " HTTP/1.1\r\nHost: " + lanHost +
                            "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + extra + "\r\n" + body,
                        {}, {}, lan[0]);
    };
    std::string form = fromLan("GET", "/", "");
    EXPECT_EQ(form.substr(0, 12), "HTTP/1.1 401") << form;
    EXPECT_NE(form.find("action=\"/login\""), std::string::npos);
    std::string lanToken = folder.read("TamvikVRServer[WebToken].txt").substr(0, 64);
    std::string tokenAnswer = fromLan("GET", "/?token=" + lanToken, "");
    EXPECT_EQ(tokenAnswer.substr(0, 12), "HTTP/1.1 403") << tokenAnswer;
    EXPECT_EQ(tokenAnswer.find("Set-Cookie"), std::string::npos);

    struct Case {
        std::string password;
        std::uint32_t advanceMs;  // before the try
        std::string status;
    };
    const Case cases[] = {
        {"wrong password", 0, "403"}, {secret, 0, "429"},  // locked out: even the right one is refused
        {secret, 29999, "429"},                            // and a try within the lockout does not extend it
        {secret, 1, "303"},           {"wrong again", 0, "403"}, {secret, 10000, "429"}, {secret, 20000, "303"},
    };
    std::string lanCookie;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.password + " after " + std::to_string(c.advanceMs) + " ms");
        clock.advance(c.advanceMs);
        std::string answer = fromLan("POST", "/login", "", "password=" + percentEncode(c.password));
        EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 " + c.status) << answer;
        std::size_t at = answer.find("tvr_session=");
        EXPECT_EQ(at != std::string::npos, c.status == "303");
        if (at != std::string::npos) lanCookie = "Cookie: " + answer.substr(at, answer.find(';', at) - at) + "\r\n";
    }
    std::string state = fromLan("GET", "/api/state", lanCookie);
    EXPECT_EQ(state.substr(0, 12), "HTTP/1.1 200") << state;
    EXPECT_NE(state.find("\"local\":false"), std::string::npos);
    // A session from the home network cannot change the password.
    std::size_t csrfAt = state.find("\"csrf\":\"") + 8;
    std::string lanCsrf = "X-Tvr-Csrf: " + state.substr(csrfAt, state.find('"', csrfAt) - csrfAt) + "\r\n";
    std::string hash = folder.read("TamvikVRServer[WebPassword].txt");
    EXPECT_NE(fromLan("POST", "/api/password", lanCookie + lanCsrf, "password=someone+else").substr(0, 12),
              "HTTP/1.1 200");
    EXPECT_EQ(folder.read("TamvikVRServer[WebPassword].txt"), hash);

    // Only the Argon2id hash is kept, in a file of the owner's alone; no file holds the password.
    EXPECT_EQ(hash.rfind("$argon2id$", 0), 0u) << hash;
    EXPECT_EQ(std::filesystem::status(folder.path() + "/TamvikVRServer[WebPassword].txt").permissions() &
                  std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const std::u16string wide = platform::fromUtf8(secret);
    const std::string utf16(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path())) {
        if (!entry.is_regular_file()) continue;
        SCOPED_TRACE(entry.path().string());
        std::string bytes = folder.read(std::filesystem::relative(entry.path(), folder.path()).string());
        EXPECT_EQ(bytes.find(secret), std::string::npos);
        EXPECT_EQ(bytes.find(utf16), std::string::npos);  // nor in UTF-16, as the settings file holds text
    }
    EXPECT_FALSE(folder.read("TamvikVRServer.ini").empty());
}

// The browser's preference picks the page's language: Japanese only when its best range is "ja".
TEST(WebPageLanguage, AcceptLanguageChoosesByWeight) {
    const std::pair<std::string_view, ui::Language> cases[] = {
        {"ja", ui::Language::Japanese},
        {"ja-JP,ja;q=0.9,en-US;q=0.8", ui::Language::Japanese},
        {"en-US,en;q=0.9,ja;q=0.8", ui::Language::English},
        {"en;q=0.5, ja;q=0.9", ui::Language::Japanese},
        {"jam", ui::Language::English},
        {"", ui::Language::English},
        {"fr, ja", ui::Language::English},
    };
    for (const auto& [header, language] : cases) {
        SCOPED_TRACE(header);
        EXPECT_EQ(ui::web::languageOfAcceptLanguage(header), language);
    }
}

}  // namespace
}  // namespace tvr::test
