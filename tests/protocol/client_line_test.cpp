// SPDX-License-Identifier: MIT
// The reply side of a real loopback connection: the socket sends each write at once, and the
// answers to one request leave together.
#include "protocol/client_line.h"

#include <gtest/gtest.h>

#include "client/control_client.h"
#include "core/log.h"
#include "platform/poll.h"

namespace tvr::protocol {
namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;

TEST(ClientLine, AnAcceptedConnectionSendsEachWriteAtOnceAndAnswersArriveWhole) {
    platform::SocketHandle listener = platform::tcpListen({kLoopback, 0}, 1);
    ASSERT_NE(listener, platform::kInvalidSocket);
    client::ControlClient client;
    ASSERT_TRUE(client.connect("127.0.0.1", platform::localEndpoint(listener).port, 5000));
    platform::PollItem item{listener, true, false};
    ASSERT_EQ(platform::pollSockets(&item, 1, 5000, nullptr), 1);
    platform::Ipv4Endpoint peer;
    platform::SocketHandle accepted = platform::tcpAccept(listener, &peer);
    ASSERT_NE(accepted, platform::kInvalidSocket);
    ASSERT_FALSE(platform::noDelay(accepted));

    core::WorkerThread thread;
    core::ManualClock clock;
    core::ServerLog log;
    StatusBoard status(log);
    std::atomic<bool> forceDisconnect{false};
    ClientLine line(thread, clock, status, forceDisconnect);
    line.open(accepted);
    EXPECT_TRUE(platform::noDelay(accepted)) << "the last packet of an answer must not wait for a delayed ACK";

    for (int i = 0; i < 13; ++i) {
        line.appendResult(0, i, u"entry");
        line.appendText(u"#RET_OK()");
        line.endPacket();
    }
    ASSERT_TRUE(line.send());
    for (int i = 0; i < 13; ++i) {
        client::Reply reply;
        ASSERT_TRUE(client.receiveReply(&reply, 5000)) << i;
        ASSERT_EQ(reply.records.size(), 2u);
        EXPECT_EQ(reply.records[0].result.value, i);
        EXPECT_TRUE(reply.ok);
    }
    platform::closeSocket(line.release());
    platform::closeSocket(listener);
}

}  // namespace
}  // namespace tvr::protocol
