// SPDX-License-Identifier: MIT
// The controller's reactions for the mouse relay, with a scripted capture library and a real
// headset client on loopback: start on connect when wanted, pause and resume on the headset's
// events and the window's buttons, stop on disconnect, the hold that drops the headset, and the
// one line that says why the relay cannot capture.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "client/control_client.h"
#include "core/paths.h"
#include "core/text.h"
#include "platform/ini_file.h"
#include "platform/socket.h"
#include "support/data_folder_scope.h"
#include "support/fake_capture.h"
#include "support/temp_folder.h"
#include "support/udp_receiver.h"
#include "ui/controller.h"

namespace tvr::test {
namespace {

int counterOf(const std::string& datagram) {
    std::size_t at = datagram.find("ct=");
    return at == std::string::npos ? -1 : std::stoi(datagram.substr(at + 3));
}

struct ProblemView final : ui::StatusView {
    std::vector<std::pair<std::int32_t, std::u16string>> statuses;
    std::vector<std::u16string> problems;
    void showStatus(const platform::LocalTime&, std::int32_t code, std::u16string_view text1,
                    std::u16string_view) override {
        statuses.emplace_back(code, std::u16string(text1));
    }
    void showProblem(std::u16string_view text) override { problems.emplace_back(text); }
};

class ControllerMouseTest : public ::testing::Test {
protected:
    test::DataFolderScope dataFolder_;  // first made, last gone
    void SetUp() override { dataFolder_.set(folder.path16()); }

    void startController(const char16_t* useMouse) {
        std::u16string ini = folder.file16("TamvikVRServer.ini");
        ASSERT_TRUE(platform::iniWriteString(ini, u"Config", u"iUseMouse", useMouse));
        ASSERT_TRUE(platform::iniWriteString(ini, u"Config", u"iPortMouse", core::format(u"%d", {receiver.port()})));
        controller =
            std::make_unique<ui::Controller>(ini, view, ui::ControllerOptions{&clock, true, kLoopback, &capture});
        ASSERT_TRUE(controller->start());
    }
    /// Ticks like the window's timer until the condition holds.
    bool tickUntil(const std::function<bool()>& condition) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < deadline) {
            controller->tick();
            if (condition()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    bool shown(std::int32_t code) {
        for (const auto& status : view.statuses)
            if (status.first == code) return true;
        return false;
    }
    bool connectAndHandshake() {
        client::Reply reply;
        return client.connect("127.0.0.1", controller->controlServer()->port(), 2000) &&
               client.sendTexts({client::ControlClient::setupMessage()}) && client.receiveReply(&reply, 5000) &&
               reply.ok;
    }
    bool liveTime(const char16_t* suspend, const char16_t* active) {
        std::u16string args[4] = {suspend, active, u"", u""};
        client::Reply reply;
        return client.sendCommand(u"CM_LIVE_TIME", args) && client.receiveReply(&reply, 5000) && reply.ok;
    }
    /// The next datagram that shows buttons 1 and 2 held.
    bool receiveHeld() {
        for (int i = 0; i < 200; ++i) {
            auto datagram = receiver.next();
            if (!datagram) return false;
            if (datagram->find("bt1=1,bt2=1") != std::string::npos) return true;
        }
        return false;
    }

    static constexpr std::uint32_t kLoopback = 0x7F000001;
    TempFolder folder;
    ProblemView view;
    FakeCapture capture;
    core::ManualClock clock;
    UdpReceiver receiver;
    std::unique_ptr<ui::Controller> controller;
    client::ControlClient client;
};

// One login starts the relay once: its counter begins at 0 and only rises until the headset
// leaves, through the timer's ticks, the headset's suspension and the window's buttons.
TEST_F(ControllerMouseTest, RelayFollowsTheHeadsetItsEventsAndTheButtons) {
    startController(u"1");
    mouse::MouseRelay& relay = *controller->mouseRelay();
    std::vector<int> counters;
    const auto receiveSome = [&] {
        while (auto datagram = receiver.next(0)) counters.push_back(counterOf(*datagram));
        return true;
    };
    ASSERT_TRUE(connectAndHandshake());
    ASSERT_TRUE(tickUntil([&] { return relay.isActive(); }));
    auto first = receiver.next();
    ASSERT_TRUE(first.has_value()) << "the datagrams go to the headset's address and iPortMouse";
    EXPECT_EQ(first->rfind("#MOUSE(ct=0,", 0), 0u) << *first;
    counters.push_back(counterOf(*first));

    ASSERT_TRUE(liveTime(u"1", u"0"));  // the headset suspends: status 16 pauses
    ASSERT_TRUE(tickUntil([&] { return receiveSome() && !relay.isCapturing(); }));
    EXPECT_TRUE(relay.isActive());
    ASSERT_TRUE(liveTime(u"0", u"1"));  // 17 resumes
    ASSERT_TRUE(tickUntil([&] { return receiveSome() && relay.isCapturing(); }));

    controller->pauseMouse();
    EXPECT_FALSE(relay.isCapturing());
    EXPECT_FALSE(capture.capturing()) << "the PC pointer is given back";
    controller->resumeMouse();
    EXPECT_TRUE(relay.isCapturing());
    // Ticks go on while the relay sends: a few more datagrams of the same login.
    const std::size_t before = counters.size();
    ASSERT_TRUE(tickUntil([&] { return receiveSome() && counters.size() >= before + 5; }));

    client.close();
    ASSERT_TRUE(tickUntil([&] { return receiveSome() && shown(3) && !relay.isActive(); }));
    receiveSome();
    EXPECT_EQ(std::count(counters.begin(), counters.end(), 0), 1) << "ct=0 once per login";
    EXPECT_EQ(std::adjacent_find(counters.begin(), counters.end(), std::greater_equal<>()), counters.end())
        << "the counter only rises within a login";
    EXPECT_EQ(capture.liveHandles(), 0);
    EXPECT_TRUE(view.problems.empty());
}

TEST_F(ControllerMouseTest, HoldingTwoButtonsFifteenSecondsDropsTheHeadset) {
    startController(u"1");
    ASSERT_TRUE(connectAndHandshake());
    ASSERT_TRUE(tickUntil([&] { return controller->mouseRelay()->isActive(); }));
    capture.setButtons({1, 1, 0});
    // The step after the first datagram with both buttons held has armed the hold.
    ASSERT_TRUE(receiveHeld());
    ASSERT_TRUE(receiveHeld());
    clock.advance(15000);
    ASSERT_TRUE(tickUntil([&] { return shown(3); }));
    EXPECT_EQ(view.statuses.back().second, u"切断(強制切断)");
    EXPECT_TRUE(client.waitClosed(5000));
    EXPECT_FALSE(controller->mouseRelay()->isActive());
}

TEST_F(ControllerMouseTest, RelayWaitsForThePassword) {
    std::u16string ini = folder.file16("TamvikVRServer.ini");
    ASSERT_TRUE(platform::iniWriteString(ini, u"Config", u"iUsePassword", u"1"));
    ASSERT_TRUE(platform::iniWriteString(ini, u"Config", u"pcPassword", u"1234"));
    startController(u"1");
    ASSERT_TRUE(connectAndHandshake());
    ASSERT_TRUE(tickUntil([&] { return shown(2); }));
    EXPECT_FALSE(controller->mouseRelay()->isActive()) << "a device without the password took the mouse";
    client::Reply reply;
    ASSERT_TRUE(client.sendTexts({u"#CMD_PASSWORD(<pass>\"1234\")"}) && client.receiveReply(&reply, 5000));
    ASSERT_TRUE(reply.ok);
    ASSERT_TRUE(tickUntil([&] { return controller->mouseRelay()->isActive(); }));
    EXPECT_TRUE(receiver.next().has_value());
}

// A host without the password connects and leaves just as the headset logs in, all read by the
// controller in one tick: the relay goes to the login's own address and starts once.
TEST_F(ControllerMouseTest, RelayFollowsTheLoginNotAConnectionThatCameBeforeIt) {
    std::u16string ini = folder.file16("TamvikVRServer.ini");
    ASSERT_TRUE(platform::iniWriteString(ini, u"Config", u"iUsePassword", u"1"));
    ASSERT_TRUE(platform::iniWriteString(ini, u"Config", u"pcPassword", u"1234"));
    startController(u"1");
    mouse::MouseRelay& relay = *controller->mouseRelay();
    for (std::uint32_t strangerAddress : {kLoopback, 0x7F000002u}) {
        UdpReceiver other(0x7F000002, receiver.port());
        const platform::Ipv4Endpoint strangerLocal{strangerAddress, 0};
        for (int round = 0; round < 100; ++round) {
            SCOPED_TRACE("stranger " + platform::formatIpv4(strangerAddress) + ", round " + std::to_string(round));
            client::ControlClient stranger;
            client::Reply reply;
            ASSERT_TRUE(stranger.connect("127.0.0.1", controller->controlServer()->port(), 2000, &strangerLocal));
            ASSERT_TRUE(stranger.sendTexts({client::ControlClient::setupMessage()}) &&
                        stranger.receiveReply(&reply, 5000));
            stranger.close();
            ASSERT_TRUE(connectAndHandshake());
            ASSERT_TRUE(client.sendTexts({u"#CMD_PASSWORD(<pass>\"1234\")"}) && client.receiveReply(&reply, 5000));
            ASSERT_TRUE(reply.ok);
            ASSERT_TRUE(tickUntil([&] { return relay.isActive(); }));
            // Datagrams to the stranger would have left before the headset's first one.
            for (const char* expected : {"#MOUSE(ct=0,", "#MOUSE(ct=1,"}) {
                auto datagram = receiver.next();
                ASSERT_TRUE(datagram.has_value());
                ASSERT_EQ(datagram->rfind(expected, 0), 0u) << *datagram;
            }
            if (strangerAddress != kLoopback) {
                ASSERT_FALSE(other.next(0).has_value()) << "the stranger got datagrams";
            }
            client.close();
            ASSERT_TRUE(tickUntil([&] { return !relay.isActive() && !controller->controlServer()->isConnected(); }));
            while (receiver.next(0) || other.next(0)) {
            }
        }
    }
}

TEST_F(ControllerMouseTest, RelayStaysOffWhenNotWanted) {
    startController(u"0");
    ASSERT_TRUE(connectAndHandshake());
    ASSERT_TRUE(tickUntil([&] { return shown(2); }));
    EXPECT_FALSE(controller->mouseRelay()->isActive());
    EXPECT_EQ(capture.calls(), (std::vector<std::string>{"create", "release"})) << "only the start-up check";
    EXPECT_FALSE(receiver.next(0).has_value());
}

TEST_F(ControllerMouseTest, WhyTheMouseCannotBeCapturedIsShownOnce) {
    capture.createFails = true;
    startController(u"1");
    EXPECT_EQ(controller->mouseProblem(), u"the fake refuses") << "the front-end tells it as it starts";
    EXPECT_TRUE(view.problems.empty()) << "not a second time before the front-end's start-up lines";
    ASSERT_TRUE(connectAndHandshake());
    ASSERT_TRUE(tickUntil([&] { return shown(2); }));
    EXPECT_FALSE(controller->mouseRelay()->isActive());
    EXPECT_TRUE(view.problems.empty()) << "a connection does not repeat the same line";

    capture.createFails = false;
    client.close();
    ASSERT_TRUE(tickUntil([&] { return shown(3); }));
    ASSERT_TRUE(connectAndHandshake());
    ASSERT_TRUE(tickUntil([&] { return controller->mouseRelay()->isActive(); }));
    EXPECT_EQ(controller->mouseProblem(), u"");
}

}  // namespace
}  // namespace tvr::test
