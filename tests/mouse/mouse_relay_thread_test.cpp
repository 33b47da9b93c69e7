// SPDX-License-Identifier: MIT
// The relay on its own thread, end to end on loopback: datagrams keep coming with a counter
// that rises by one across a pause, and none is sent once stop() has returned.
#include <gtest/gtest.h>

#include <string>

#include "mouse/mouse_relay.h"
#include "support/fake_capture.h"
#include "support/udp_receiver.h"

namespace tvr::test {
namespace {

int counterOf(const std::string& datagram) {
    std::size_t at = datagram.find("ct=");
    return at == std::string::npos ? -1 : std::stoi(datagram.substr(at + 3));
}

TEST(MouseRelayThread, SendsARisingCounterUntilStopReturns) {
    FakeCapture capture;
    core::CommandQueue commands;
    UdpReceiver receiver;
    mouse::MouseRelay relay(capture, core::SystemClock::instance(), &commands);
    ASSERT_TRUE(relay.start(u"127.0.0.1", receiver.port()));
    for (int expected = 0; expected < 20; ++expected) {
        if (expected == 10) {
            // A pause long enough for the thread to see it (what was sent before it arrives, then
            // several quiet periods), and a resume: a new schedule, not a new counter; ct=0 comes
            // once per start.
            relay.pause();
            while (auto datagram = receiver.next(200)) ASSERT_EQ(counterOf(*datagram), expected++) << *datagram;
            relay.resume();
        }
        auto datagram = receiver.next();
        ASSERT_TRUE(datagram.has_value());
        ASSERT_EQ(counterOf(*datagram), expected) << *datagram;
    }
    relay.stop();
    // Loopback delivers in the order of sending: everything the relay sent before stop()
    // returned is ahead of this marker.
    platform::SocketHandle sender = platform::udpSocket();
    ASSERT_EQ(platform::sendDatagram(sender, {0x7F000001, receiver.port()}, "marker", 6).status,
              platform::IoStatus::Ok);
    for (;;) {
        auto datagram = receiver.next();
        ASSERT_TRUE(datagram.has_value());
        if (*datagram == "marker") break;
    }
    // The next datagram must open the next run; one of the old run would come first.
    ASSERT_TRUE(relay.start(u"127.0.0.1", receiver.port()));
    auto first = receiver.next();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(counterOf(*first), 0) << *first;
    relay.stop();
    platform::closeSocket(sender);
}

}  // namespace
}  // namespace tvr::test
