// SPDX-License-Identifier: MIT
// The relay's behaviour with a scripted capture library and an injected clock, sending real
// datagrams to a receiver on loopback: the bytes, the sums, pause and stop, the two-button hold.
#include "mouse/mouse_relay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "mouse/mouse_datagram.h"
#include "platform/utf.h"
#include "support/fake_capture.h"
#include "support/udp_receiver.h"

namespace tvr::test {
namespace {

using mouse::MouseRelay;

class MouseRelayTest : public ::testing::Test {
protected:
    std::string datagram(int ct, int px, int py, int pw, int bt1 = 0, int bt2 = 0, int bt3 = 0) {
        return mouse::formatMouseDatagram({ct, px, py, pw, {bt1, bt2, bt3}});
    }
    /// One manual send step and the datagram it sent.
    std::string stepAndReceive() {
        EXPECT_TRUE(relay.step());
        return receiver.next().value_or("(no datagram)");
    }
    std::size_t forceDisconnects() {
        std::size_t count = 0;
        for (const auto& command : commands.drain()) count += command.id == core::kForceDisconnect ? 1 : 0;
        return count;
    }

    FakeCapture capture;
    core::ManualClock clock;
    core::CommandQueue commands;
    UdpReceiver receiver;
    MouseRelay relay{capture, clock, &commands, MouseRelay::Pacing::Manual};
};

TEST_F(MouseRelayTest, DatagramCarriesCounterSumsAndButtonsAsAsciiWithoutTerminator) {
    ASSERT_TRUE(relay.start(u"127.0.0.1", receiver.port()));
    struct Case {
        FakeCapture::Move move;
        std::array<std::int32_t, 3> buttons;
        const char* expected;
    };
    const Case cases[] = {
        {{0, 0, 0}, {0, 0, 0}, "#MOUSE(ct=0,px=0,py=0,pw=0,bt1=0,bt2=0,bt3=0,bt4=0,bt5=0)*"},
        {{10, 0, 0}, {0, 0, 0}, "#MOUSE(ct=1,px=10,py=0,pw=0,bt1=0,bt2=0,bt3=0,bt4=0,bt5=0)*"},
        {{10, -3, 120}, {1, 0, 1}, "#MOUSE(ct=2,px=20,py=-3,pw=120,bt1=1,bt2=0,bt3=1,bt4=0,bt5=0)*"},
        {{-25, 0, -240}, {0, 1, 0}, "#MOUSE(ct=3,px=-5,py=-3,pw=-120,bt1=0,bt2=1,bt3=0,bt4=0,bt5=0)*"},
        {{0, 0, 0}, {0, 0, 0}, "#MOUSE(ct=4,px=-5,py=-3,pw=-120,bt1=0,bt2=0,bt3=0,bt4=0,bt5=0)*"},
        // The sums wrap at 32 bits rather than overflow.
        {{2147483647, 0, 0}, {0, 0, 0}, "#MOUSE(ct=5,px=2147483642,py=-3,pw=-120,bt1=0,bt2=0,bt3=0,bt4=0,bt5=0)*"},
        {{10, 0, 0}, {0, 0, 0}, "#MOUSE(ct=6,px=-2147483644,py=-3,pw=-120,bt1=0,bt2=0,bt3=0,bt4=0,bt5=0)*"},
    };
    for (const Case& c : cases) {
        capture.push(c.move);
        capture.setButtons(c.buttons);
        EXPECT_EQ(stepAndReceive(), c.expected);
    }
}

TEST_F(MouseRelayTest, PauseKeepsCounterAndSumsAndStopThenStartResetsThem) {
    ASSERT_TRUE(relay.start(u"127.0.0.1", receiver.port()));
    capture.push({5, 7, 0});
    EXPECT_EQ(stepAndReceive(), datagram(0, 5, 7, 0));

    relay.pause();
    EXPECT_TRUE(relay.isActive());
    EXPECT_FALSE(relay.isCapturing());
    EXPECT_FALSE(capture.capturing());
    EXPECT_FALSE(relay.step());

    EXPECT_TRUE(relay.resume());
    EXPECT_TRUE(capture.capturing());
    capture.push({1, 0, 0});
    EXPECT_EQ(stepAndReceive(), datagram(1, 6, 7, 0));

    relay.stop();
    EXPECT_FALSE(relay.isActive());
    EXPECT_FALSE(relay.step());
    EXPECT_EQ(capture.liveHandles(), 0);
    EXPECT_FALSE(relay.resume());

    ASSERT_TRUE(relay.start(u"127.0.0.1", receiver.port()));
    EXPECT_EQ(stepAndReceive(), datagram(0, 0, 0, 0));
    EXPECT_FALSE(capture.misused());
}

TEST_F(MouseRelayTest, TwoButtonHoldFiresOnceAtFifteenSecondsAndAgainOnlyAfterRelease) {
    ASSERT_TRUE(relay.start(u"127.0.0.1", receiver.port()));
    capture.setButtons({1, 1, 0});
    relay.step();  // arms
    clock.advance(14900);
    relay.step();
    EXPECT_EQ(forceDisconnects(), 0u) << "14.9 s is not yet the hold";
    clock.advance(100);
    relay.step();
    EXPECT_EQ(forceDisconnects(), 1u);
    clock.advance(30000);
    relay.step();
    relay.step();
    EXPECT_EQ(forceDisconnects(), 0u) << "a hold fires once until the buttons are released";

    capture.setButtons({1, 0, 1});  // button 2 let go
    relay.step();
    capture.setButtons({1, 1, 0});
    relay.step();
    clock.advance(14000);
    relay.step();
    capture.setButtons({0, 1, 0});  // released after 14 s: nothing
    relay.step();
    capture.setButtons({1, 1, 0});
    relay.step();
    clock.advance(15000);
    relay.step();
    EXPECT_EQ(forceDisconnects(), 1u);
}

TEST_F(MouseRelayTest, ResumeStartsTheHoldAgain) {
    ASSERT_TRUE(relay.start(u"127.0.0.1", receiver.port()));
    capture.setButtons({1, 1, 0});
    relay.step();
    clock.advance(10000);
    relay.step();
    relay.pause();
    relay.resume();
    relay.step();  // arms anew
    clock.advance(10000);
    relay.step();
    EXPECT_EQ(forceDisconnects(), 0u);
    clock.advance(5000);
    relay.step();
    EXPECT_EQ(forceDisconnects(), 1u);
}

TEST_F(MouseRelayTest, CaptureThatCannotBeginLeavesTheRelayInactiveAndSaysWhy) {
    capture.createFails = true;
    EXPECT_FALSE(relay.start(u"127.0.0.1", receiver.port()));
    EXPECT_FALSE(relay.isActive());
    EXPECT_EQ(relay.problem(), u"the fake refuses");

    capture.createFails = false;
    capture.startFails = true;
    EXPECT_FALSE(relay.start(u"127.0.0.1", receiver.port()));
    EXPECT_FALSE(relay.isActive());
    EXPECT_FALSE(relay.hasHook());
    EXPECT_EQ(capture.liveHandles(), 0) << "a handle that cannot start is released";
    EXPECT_FALSE(relay.step());

    capture.startFails = false;
    EXPECT_TRUE(relay.start(u"127.0.0.1", receiver.port()));
    EXPECT_EQ(relay.problem(), u"");
}

TEST_F(MouseRelayTest, KeysThatGiveThePointerBackPauseTheRelay) {
    ASSERT_TRUE(relay.start(u"127.0.0.1", receiver.port()));
    capture.push({3, 0, 0});
    capture.giveBack();
    EXPECT_EQ(stepAndReceive(), datagram(0, 3, 0, 0));
    EXPECT_TRUE(relay.isActive());
    EXPECT_FALSE(relay.isCapturing());
    EXPECT_FALSE(relay.step());
    relay.resume();
    EXPECT_EQ(stepAndReceive(), datagram(1, 3, 0, 0));
}

TEST_F(MouseRelayTest, StopDuringASendStepWaitsForItBeforeFreeingTheCapture) {
    ASSERT_TRUE(relay.start(u"127.0.0.1", receiver.port()));
    capture.closeGate();
    std::thread sender([this] { relay.step(); });
    ASSERT_TRUE(capture.waitInsideGet());
    std::thread stopper([this] { relay.stop(); });
    // Give the stop time to reach the relay while the step is inside the capture library.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    capture.openGate();
    sender.join();
    stopper.join();
    std::vector<std::string> calls = capture.calls();
    auto done = std::find(calls.begin(), calls.end(), "get done");
    auto release = std::find(calls.begin(), calls.end(), "release");
    ASSERT_NE(release, calls.end());
    EXPECT_LT(done, release) << "the capture was released under a send step";
    EXPECT_FALSE(capture.misused());
}

TEST(MouseDatagram, DottedAddressTokensBecomeAddressBytes) {
    struct Case {
        const char16_t* text;
        std::uint32_t address;
    };
    const Case cases[] = {
        {u"192.168.1.5", 0xC0A80105},
        {u"127.0.0.1", 0x7F000001},
        {u"non", 0},
        {u"", 0},
        {u"10.x.0.7", 0x0A000007},
        {u"1.2.3.300", 0x01020300},  // no carry into the next byte
        {u"1.2", 0x01020000},
        {u"1.2.3.4.5", 0x01020304},
        {u"-1.2.3.4", 0x00020304},
        {u"1.2.3.0004", 0x01020300},
        {u"255.255.255.255", 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(mouse::parseDottedAddress(c.text), c.address) << platform::toUtf8(c.text);
    }
}

}  // namespace
}  // namespace tvr::test
