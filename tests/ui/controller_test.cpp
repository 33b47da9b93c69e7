// SPDX-License-Identifier: MIT
// The controller as every front-end uses it: start order, status polling and its reactions,
// commands posted by the services, and the stop that saves only what changed.
#include "ui/controller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "client/control_client.h"
#include "core/paths.h"
#include "core/text.h"
#include "http/raw_http_client.h"
#include "platform/ini_file.h"
#include "platform/utf.h"
#include "support/data_folder_scope.h"
#include "support/stored_path.h"
#include "support/temp_folder.h"
#include "ui/console/console_view.h"

namespace tvr::test {
namespace {

// Records what the controller shows.
struct RecordingView final : ui::StatusView {
    std::vector<std::pair<std::int32_t, std::u16string>> statuses;
    std::vector<std::u16string> problems;
    std::vector<std::u16string> events;
    void showEvent(const platform::LocalTime&, std::u16string_view text) override {
        events.emplace_back(text);
        lines.emplace_back(text);
    }
    void showStatus(const platform::LocalTime&, std::int32_t code, std::u16string_view text1,
                    std::u16string_view) override {
        statuses.emplace_back(code, std::u16string(text1));
    }
    void showProblem(std::u16string_view text) override { problems.emplace_back(text); }
    // Every event and stream line, in the order shown.
    std::vector<std::u16string> lines;
    void showStream(const platform::LocalTime&, const http::StreamEvent& event) override {
        lines.push_back(ui::streamLine(event));
    }
};

class ControllerTest : public ::testing::Test {
protected:
    test::DataFolderScope dataFolder_;  // first made, last gone
    void SetUp() override { dataFolder_.set(folder.path16()); }

    std::u16string settingsPath() const { return folder.file16("TamvikVRServer.ini"); }
    void startController() {
        controller =
            std::make_unique<ui::Controller>(settingsPath(), view, ui::ControllerOptions{nullptr, true, kLoopback});
        ASSERT_TRUE(controller->start());
    }
    /// Ticks like the window's timer until the view has shown the code.
    bool tickUntil(std::int32_t code) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < deadline) {
            controller->tick();
            for (const auto& status : view.statuses)
                if (status.first == code) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    static std::uint16_t freePort() {
        platform::SocketHandle probe = platform::tcpListen({kLoopback, 0}, 1);
        std::uint16_t port = platform::localEndpoint(probe).port;
        platform::closeSocket(probe);
        return port;
    }
    bool connectAndHandshake() {
        client::Reply reply;
        return client.connect("127.0.0.1", controller->controlServer()->port(), 2000) &&
               client.sendTexts({client::ControlClient::setupMessage()}) && client.receiveReply(&reply, 5000) &&
               reply.ok;
    }

    TempFolder folder;
    RecordingView view;
    std::unique_ptr<ui::Controller> controller;
    client::ControlClient client;
};

TEST_F(ControllerTest, ShowsWaitingThenTheSessionAndWaitsAgain) {
    startController();
    EXPECT_TRUE(tickUntil(1));
    ASSERT_TRUE(connectAndHandshake());
    EXPECT_TRUE(tickUntil(2));
    client.close();
    ASSERT_TRUE(tickUntil(3));
    view.statuses.clear();
    EXPECT_TRUE(tickUntil(1)) << "after a disconnect the controller shows waiting again";
    EXPECT_EQ(view.statuses.back().second, u"接続待ち");
}

TEST_F(ControllerTest, ChannelChangedByTheHeadsetIsSavedToTheSettingsFile) {
    startController();
    ASSERT_TRUE(connectAndHandshake());
    std::u16string args[4] = {u"1", u"0", folder.path16(), u""};
    client::Reply reply;
    ASSERT_TRUE(client.sendCommand(u"CM_SET_CHANNEL_TYPE", args));
    ASSERT_TRUE(client.receiveReply(&reply, 5000));
    ASSERT_TRUE(reply.ok);
    EXPECT_EQ(platform::iniReadString(settingsPath(), u"ch.1", u"pcPath", u"?"), test::storedPath(folder.path16()))
        << "the OK leaves only once the file holds the change, before the front-end's next tick";
    controller->saveSettings();  // a save of the window's values, which do not hold the change yet
    controller->flushSettings();
    EXPECT_EQ(platform::iniReadString(settingsPath(), u"ch.1", u"pcPath", u"?"), test::storedPath(folder.path16()));
    // Applying the window's values, which do not hold the change yet, keeps it for the headset too.
    controller->applySettings();
    controller->tick();
    EXPECT_EQ(controller->settings().config().channels[1].path, test::storedPath(folder.path16()));
    const std::u16string channel[4] = {u"1", u"", u"", u""};
    ASSERT_TRUE(client.sendCommand(u"CM_GET_CHANNEL_TYPE", channel));
    ASSERT_TRUE(client.receiveReply(&reply, 5000));
    ASSERT_FALSE(reply.records.empty());
    EXPECT_EQ(reply.records[0].result.text, test::storedPath(folder.path16()));
    // Once the window holds the change, its next apply is the settings in force.
    controller->settings().config().channels[1].path = folder.file16("chosen");
    controller->applySettings();
    ASSERT_TRUE(client.sendCommand(u"CM_GET_CHANNEL_TYPE", channel));
    ASSERT_TRUE(client.receiveReply(&reply, 5000));
    ASSERT_FALSE(reply.records.empty());
    EXPECT_EQ(reply.records[0].result.text, folder.file16("chosen"));
}

// The headset sets a channel and plays from it before the front-end's next tick: the change,
// posted first, is shown first, though it reaches the front-end on another queue.
TEST_F(ControllerTest, AChangeThenAFetchAreShownInTheOrderTheyHappened) {
    folder.write("clip.mp4", "a video");
    startController();
    ASSERT_TRUE(connectAndHandshake());
    std::u16string args[4] = {u"1", u"0", folder.path16(), u""};
    client::Reply answer;
    ASSERT_TRUE(client.sendCommand(u"CM_SET_CHANNEL_TYPE", args));
    ASSERT_TRUE(client.receiveReply(&answer, 5000));
    ASSERT_TRUE(answer.ok);
    RawHttpClient player;
    ASSERT_TRUE(player.connect(controller->videoServer()->port()));
    ASSERT_TRUE(player.send("GET /" + folder.file("clip.mp4") + " HTTP/1.1\r\n\r\n"));
    HttpReply reply;
    ASSERT_TRUE(player.readReply(&reply));
    ASSERT_EQ(reply.status, 200);
    const auto at = [&](std::u16string_view start) {
        return std::find_if(view.lines.begin(), view.lines.end(),
                            [&](const std::u16string& line) { return line.starts_with(start); }) -
               view.lines.begin();
    };
    const std::u16string request = u"video slot 0: 200 from byte 0 ";
    controller->tick();
    const auto count = static_cast<std::ptrdiff_t>(view.lines.size());
    ASSERT_LT(at(request), count) << "the request came before this tick";
    ASSERT_LT(at(u"channel 2 set by the headset"), count);
    EXPECT_LT(at(u"channel 2 set by the headset"), at(request));
}

TEST_F(ControllerTest, StreamSlotIsReleasedOnceTheHeadsetHasGone) {
    folder.write("clip.mp4", std::string(100000, 'v'));
    startController();
    ASSERT_TRUE(connectAndHandshake());
    RawHttpClient player;
    ASSERT_TRUE(player.connect(controller->videoServer()->port()));
    ASSERT_TRUE(player.send("GET /" + folder.file("clip.mp4") + " HTTP/1.1\r\n\r\n"));
    HttpReply reply;
    ASSERT_TRUE(player.readReply(&reply));
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(controller->videoServer()->slotHasOpenFile(0));

    client.close();
    ASSERT_TRUE(tickUntil(3));
    player.close();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (controller->videoServer()->slotHasOpenFile(0) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(controller->videoServer()->slotHasOpenFile(0));
}

// A headset whose Wi-Fi drops connects again at once and starts playing; the front-end sees the
// old connection's end on a later tick, when the new login's stream is already going.
TEST_F(ControllerTest, ReconnectingHeadsetKeepsEveryStreamOfItsNewLogin) {
    std::string video(3u << 20, '\0');
    for (std::size_t i = 0; i < video.size(); ++i) video[i] = static_cast<char>((i * 131) ^ (i >> 12));
    folder.write("clip.mp4", video);
    const std::string request = "GET /" + folder.file("clip.mp4") + " HTTP/1.1\r\n\r\n";
    startController();
    std::atomic<bool> ticking{true};
    std::thread timer([&] {
        while (ticking) {
            controller->tick();
            std::this_thread::sleep_for(std::chrono::milliseconds(ui::Controller::kTickMs));
        }
    });
    int complete = 0;
    constexpr int kRounds = 200;
    for (int round = 0; round < kRounds; ++round) {
        ASSERT_TRUE(connectAndHandshake()) << "round " << round;
        client.close();  // dropped without a word
        ASSERT_TRUE(connectAndHandshake()) << "round " << round;
        RawHttpClient player;
        ASSERT_TRUE(player.connect(controller->videoServer()->port()));
        ASSERT_TRUE(player.send(request));
        HttpReply reply;
        bool whole = player.readReply(&reply) && reply.status == 200 && reply.body == video;
        EXPECT_TRUE(whole) << "round " << round << ": " << reply.body.size() << " bytes";
        complete += whole ? 1 : 0;
        client.close();
    }
    ticking = false;
    timer.join();
    EXPECT_EQ(complete, kRounds);
}

TEST_F(ControllerTest, PortInUseIsReportedAndTheRestRuns) {
    platform::SocketHandle blocker = platform::tcpListen({kLoopback, 0}, 1);
    ASSERT_NE(blocker, platform::kInvalidSocket);
    std::uint16_t taken = platform::localEndpoint(blocker).port;
    ASSERT_TRUE(platform::iniWriteString(settingsPath(), u"Config", u"iPortServer", core::format(u"%d", {taken})));
    ASSERT_TRUE(platform::iniWriteString(settingsPath(), u"Config", u"iPortHttp", core::format(u"%d", {freePort()})));
    controller =
        std::make_unique<ui::Controller>(settingsPath(), view, ui::ControllerOptions{nullptr, false, kLoopback});
    ASSERT_TRUE(controller->start());
    EXPECT_NE(controller->controlState().problem.find(core::format(u"[Config] iPortServer=%d cannot be used", {taken})),
              std::u16string::npos)
        << "the line names the settings key";
    EXPECT_FALSE(controller->controlServer()->isListening());
    EXPECT_EQ(controller->controlState().port, 0);
    EXPECT_NE(controller->videoServer()->port(), 0);
    EXPECT_EQ(controller->videoState().port, controller->videoServer()->port());
    EXPECT_TRUE(controller->videoState().problem.empty());
    controller->tick();
    for (const auto& status : view.statuses) EXPECT_NE(status.first, 1) << "never reports waiting";
    platform::closeSocket(blocker);
}

TEST_F(ControllerTest, PortsThatAreNotPortsLeaveTheirServiceOffAndAreNamed) {
    struct Case {
        const char16_t* server;
        const char16_t* http;
        const char16_t* serverProblem;
        const char16_t* httpProblem;
    };
    const Case cases[] = {
        {u"abc", u"99999", u"[Config] iPortServer=abc is not a number; give a port from 1 to 65535",
         u"[Config] iPortHttp=99999 is not a port; give one from 1 to 65535"},
        {u"0", u"-5", u"[Config] iPortServer=0 is not a port; give one from 1 to 65535",
         u"[Config] iPortHttp=-5 is not a port; give one from 1 to 65535"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(platform::iniWriteString(settingsPath(), u"Config", u"iPortServer", c.server));
        ASSERT_TRUE(platform::iniWriteString(settingsPath(), u"Config", u"iPortHttp", c.http));
        controller =
            std::make_unique<ui::Controller>(settingsPath(), view, ui::ControllerOptions{nullptr, false, kLoopback});
        ASSERT_TRUE(controller->start());
        EXPECT_EQ(controller->controlState().problem, c.serverProblem);
        EXPECT_EQ(controller->videoState().problem, c.httpProblem);
        EXPECT_FALSE(controller->controlServer()->isListening());
        EXPECT_EQ(controller->videoServer()->port(), 0);
        controller.reset();
        EXPECT_EQ(platform::iniReadString(settingsPath(), u"Config", u"iPortServer", u""), c.server)
            << "the file keeps what the user wrote";
    }
}

TEST_F(ControllerTest, HandshakeAnnouncesTheVideoPortListenedOn) {
    ASSERT_TRUE(platform::iniWriteString(settingsPath(), u"Config", u"iPortHttp", u"99999"));
    startController();  // any free ports: the configured 99999 is never listened on
    client::Reply reply;
    ASSERT_TRUE(client.connect("127.0.0.1", controller->controlServer()->port(), 2000));
    ASSERT_TRUE(client.sendTexts({client::ControlClient::setupMessage()}) && client.receiveReply(&reply, 5000));
    std::u16string expected = core::format(u"#RET_USE_HTTP(<port>%d)", {controller->videoServer()->port()});
    std::vector<std::u16string> texts = reply.texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), expected), texts.end());
}

TEST_F(ControllerTest, EveryEventReachesTheViewInOrder) {
    startController();
    ASSERT_TRUE(connectAndHandshake());
    client.close();
    // Connect and disconnect both happen before the first tick: neither may be lost.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (controller->controlServer()->isConnected() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(tickUntil(3));
    controller->tick();  // the waiting status posted after the disconnect
    std::vector<std::int32_t> codes;
    for (const auto& status : view.statuses) codes.push_back(status.first);
    EXPECT_EQ(codes, (std::vector<std::int32_t>{1, 2, 3, 1}));
}

TEST_F(ControllerTest, OneWaitingLineAfterSessionsReadInOneTick) {
    startController();
    ASSERT_TRUE(tickUntil(1));
    for (int session = 0; session < 3; ++session) {
        ASSERT_TRUE(connectAndHandshake());
        client.close();
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (controller->controlServer()->isConnected() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    controller->tick();  // three disconnections, each asking for the waiting status
    controller->tick();
    controller->tick();
    std::vector<std::int32_t> codes;
    for (const auto& status : view.statuses) codes.push_back(status.first);
    EXPECT_EQ(codes, (std::vector<std::int32_t>{1, 2, 3, 2, 3, 2, 3, 1}));
}

// Every refused request gives one line saying which and why; the headset's reply stays the
// status slot's, and a channel the headset sets to a missing folder is named at once.
TEST_F(ControllerTest, RefusedRequestsAndChangedChannelsAreExplained) {
    startController();
    ASSERT_TRUE(connectAndHandshake());
    const std::u16string missing = folder.path16() + u"/no/such/folder";
    struct Case {
        std::u16string name;  // a CM_ command, or empty for a text message in args[0]
        std::vector<std::u16string> args;
        bool ok;
        std::u16string event;
    };
    const Case cases[] = {
        {u"",
         {u"#CMD_GET_CHANNEL(<ch>1)"},
         false,
         u"refused #CMD_GET_CHANNEL: channel 2 ([ch.1], PC folder): not set: give [ch.1] pcPath a folder or "
         u"(PCVideo)"},
        {u"",
         {u"#CMD_GET_CHANNEL(<ch>8)"},
         false,
         u"refused #CMD_GET_CHANNEL: there is no channel <ch>8: the headset numbers channels 0 to 7 (the console 1 "
         u"to 8)"},
        {u"", {u"#CMD_NOPE(<a>1)"}, false, u"refused #CMD_NOPE: not a request this server knows"},
        {u"CM_NOPE\n",
         {},
         false,
         u"refused CM_NOPE?: not a command this server knows (tamvikvr-client commands lists them)"},
        {u"CM_SET_CHANNEL_TYPE",
         {u"1", u"0", u"/v/a\nb"},
         false,
         u"refused CM_SET_CHANNEL_TYPE: the path cannot be stored in the settings file: it holds a line break, a "
         u"NUL or a broken UTF-16 character"},
        {u"CM_SET_CHANNEL_TYPE",
         {u"1", u"0", missing},
         true,
         u"channel 2 set by the headset: PC folder \"" + test::storedPath(missing) +
             u"\", the folder does not exist: give [ch.1] pcPath an existing folder or (PCVideo)"},
    };
    for (const Case& c : cases) {
        view.events.clear();
        client::Reply reply;
        if (c.name.empty()) {
            ASSERT_TRUE(client.sendTexts({c.args[0]}));
        } else {
            std::u16string args[4];
            for (std::size_t i = 0; i < c.args.size(); ++i) args[i] = c.args[i];
            ASSERT_TRUE(client.sendCommand(c.name, args));
        }
        ASSERT_TRUE(client.receiveReply(&reply, 5000));
        EXPECT_EQ(reply.ok, c.ok) << platform::toUtf8(reply.final);
        if (!c.ok) {
            EXPECT_TRUE(reply.final.starts_with(u"#RET_ERR(<code>")) << "the wire stays as it was";
        }
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (view.events.empty() && std::chrono::steady_clock::now() < deadline) {
            controller->tick();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(view.events, std::vector<std::u16string>{c.event}) << platform::toUtf8(c.event);
    }
}

// A headset that stops reading in the middle of a long reply must not freeze the window: the
// front-end's calls return at once and the forced disconnect cuts the stalled send.
TEST_F(ControllerTest, FrontEndNeverWaitsBehindAStalledHeadset) {
    std::string longName(200, 'n');
    for (int i = 0; i < 150; ++i) folder.write("big/" + longName + std::to_string(i) + ".mp4", "");
    ASSERT_TRUE(platform::iniWriteString(settingsPath(), u"Config", u"pcExt", u"mp4"));
    ASSERT_TRUE(platform::iniWriteString(settingsPath(), u"ch.1", u"pcPath", folder.file16("big")));
    startController();
    ASSERT_TRUE(connectAndHandshake());
    ASSERT_TRUE(client.sendTexts(std::vector<std::u16string>(300, u"#CMD_GET_CHANNEL(<ch>1)")));
    std::vector<client::Record> first;
    ASSERT_TRUE(client.receivePacket(&first, 5000));  // the server is now sending into full buffers
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    auto timed = [](auto&& call) {
        auto start = std::chrono::steady_clock::now();
        call();
        return std::chrono::steady_clock::now() - start;
    };
    // Generous against a loaded machine; before, each of these waited for the 5 s send time-out.
    const auto bound = std::chrono::milliseconds(1000);
    EXPECT_LT(timed([&] { controller->tick(); }), bound);
    EXPECT_LT(timed([&] { controller->applySettings(); }), bound);
    EXPECT_LT(timed([&] { controller->forceDisconnect(); }), bound);
    EXPECT_TRUE(tickUntil(3));
    EXPECT_EQ(view.statuses.back().second, u"切断(強制切断)");
}

TEST_F(ControllerTest, StopSavesOnlyChangedSettings) {
    startController();
    controller->settings().config().useMouse = 1;
    ASSERT_TRUE(platform::iniWriteString(settingsPath(), u"Config", u"iSeek1FF", u"42"));  // a hand edit
    controller->stop();
    EXPECT_EQ(platform::iniReadString(settingsPath(), u"Config", u"iUseMouse", u""), u"1");
    EXPECT_EQ(platform::iniReadString(settingsPath(), u"Setup", u"iSeek1FF", u""), u"10")
        << "unchanged values are not rewritten over the hand edit";
}

// Every front-end stops through the controller: a headset that goes on changing a channel while
// the program stops finds the last change it was told is done in the file.
TEST_F(ControllerTest, TheLastChangeAnsweredOkBeforeTheStopIsTheOneSaved) {
    startController();
    ASSERT_TRUE(connectAndHandshake());
    std::promise<void> firstOk;
    std::u16string lastOk;
    std::thread headset([&] {
        for (int change = 0;; ++change) {
            std::u16string path = folder.path16() + u"/change" + platform::fromUtf8(std::to_string(change));
            std::u16string args[4] = {u"1", u"0", path, u""};
            client::Reply reply;
            if (!client.sendCommand(u"CM_SET_CHANNEL_TYPE", args) || !client.receiveReply(&reply, 5000)) return;
            if (!reply.ok) return;
            lastOk = path;
            if (change == 0) firstOk.set_value();
        }
    });
    firstOk.get_future().wait();
    controller->stop();
    headset.join();
    EXPECT_EQ(platform::iniReadString(settingsPath(), u"ch.1", u"pcPath", u"?"), test::storedPath(lastOk));
}

}  // namespace
}  // namespace tvr::test
