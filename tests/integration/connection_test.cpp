// SPDX-License-Identifier: MIT
// Framing, time-outs and disconnections of the control connection on loopback.
#include <fstream>
#include <sstream>

#include "core/log.h"
#include "core/text.h"
#include "integration/control_fixture.h"
#include "protocol/wire.h"

namespace tvr::test {
namespace {

using client::ControlClient;

std::string setupPacket() {
    std::string body;
    protocol::appendRecord(body, protocol::kText, protocol::encodeTextPayload(ControlClient::setupMessage()));
    return protocol::makePacket(body);
}

TEST_F(ControlServerTest, PacketFedOneByteAtATimeIsAssembled) {
    startAndConnect();
    std::string packet = setupPacket();
    for (char byte : packet) {
        ASSERT_TRUE(client.sendRaw(std::string(1, byte)));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    client::Reply reply;
    ASSERT_TRUE(client.receiveReply(&reply, kReplyTimeoutMs));
    EXPECT_TRUE(reply.ok);
}

TEST_F(ControlServerTest, TwoPacketsInOneWriteAreBothAnswered) {
    startAndConnect();
    std::string body;
    protocol::appendRecord(body, protocol::kText, protocol::encodeTextPayload(u"#CMD_PASSWORD(<pass>\"\")"));
    ASSERT_TRUE(client.sendRaw(setupPacket() + protocol::makePacket(body)));
    client::Reply first;
    client::Reply second;
    ASSERT_TRUE(client.receiveReply(&first, kReplyTimeoutMs));
    ASSERT_TRUE(client.receiveReply(&second, kReplyTimeoutMs));
    EXPECT_TRUE(first.ok);
    EXPECT_EQ(first.texts().front().substr(0, 12), u"#RET_VERSION");
    EXPECT_EQ(second.texts(), std::vector<std::u16string>{u"#RET_OK()"});
}

TEST_F(ControlServerTest, NoTrafficTimeoutDisconnectsAndIsLogged) {
    config.serverLog = 1;
    config.liveTimeoutSec = 120;
    startAndConnect();
    waitStatus(2);
    clock.advance(119999);
    EXPECT_FALSE(client.waitClosed(100));
    clock.advance(1);
    EXPECT_TRUE(client.waitClosed(5000));
    protocol::StatusSlot status = waitStatus(3);
    EXPECT_EQ(status.text1, u"切断(無通信:120秒)");
    EXPECT_EQ(status.text2, u"127.0.0.1");
    server.reset();
    std::string log = folder.read("TamvikVR Server[Log].txt");
    EXPECT_NE(log.find("START           , TamvikVR Server Ver1.32a : Protocol Ver130"), std::string::npos);
    EXPECT_NE(log.find("EVENT           , code=0x0002, msg1=\"接続中\", msg2=\"127.0.0.1\""), std::string::npos);
    EXPECT_NE(log.find("EVENT           , code=0x0003, msg1=\"切断(無通信:120秒)\", msg2=\"127.0.0.1\""),
              std::string::npos);
    EXPECT_EQ(log.substr(log.size() - 9), "SHUTDOWN\n");
}

TEST_F(ControlServerTest, TrafficKeepsTheConnectionAlive) {
    config.liveTimeoutSec = 10;
    startAndConnect();
    clock.advance(9000);
    EXPECT_TRUE(handshake().ok);
    clock.advance(9000);
    EXPECT_FALSE(client.waitClosed(100));
}

TEST_F(ControlServerTest, ForceDisconnectDropsTheClient) {
    startAndConnect();
    waitStatus(2);
    server->requestForceDisconnect();
    EXPECT_TRUE(client.waitClosed(5000));
    EXPECT_EQ(waitStatus(3).text1, u"切断(強制切断)");
    EXPECT_FALSE(server->isConnected());
}

TEST_F(ControlServerTest, ClientCloseIsANormalEnd) {
    startAndConnect();
    waitStatus(2);
    client.close();
    EXPECT_EQ(waitStatus(3).text1, u"切断(正常終了)");
}

TEST_F(ControlServerTest, WaitingIsNotPostedOverANewConnection) {
    startAndConnect();
    waitStatus(2);
    client.close();
    waitStatus(3);
    server->postWaitingIfIdle();
    protocol::StatusSlot status;
    server->takeStatus(&status);
    EXPECT_EQ(status.code, 1);
    ASSERT_TRUE(client.connect("127.0.0.1", server->port(), 2000));
    waitStatus(2);
    server->postStatus(2, u"接続中", u"127.0.0.1");  // as if the front-end had not read it yet
    server->postWaitingIfIdle();
    server->takeStatus(&status);
    EXPECT_EQ(status.code, 2) << "the new headset's status is kept";
}

TEST_F(ControlServerTest, BadFourCCDropsTheClientAndTheNextOneIsServed) {
    startAndConnect();
    ASSERT_TRUE(
        client.sendRaw(std::string("JUNK\x04\x00\x00\x00"
                                   "abcd",
                                   12)));
    EXPECT_TRUE(client.waitClosed(5000));
    ASSERT_TRUE(client.connect("127.0.0.1", server->port(), 2000));
    EXPECT_TRUE(handshake().ok);
}

TEST_F(ControlServerTest, OversizedPacketDropsTheClientAndTheNextOneIsServed) {
    startAndConnect();
    std::string header("PACK", 4);
    header += std::string("\x19\x00\x01\x00", 4);  // 65561 bytes of body: one more than the buffer holds
    ASSERT_TRUE(client.sendRaw(header + std::string(100, 'x')));
    EXPECT_TRUE(client.waitClosed(5000));
    ASSERT_TRUE(client.connect("127.0.0.1", server->port(), 2000));
    EXPECT_TRUE(handshake().ok);
}

TEST_F(ControlServerTest, RecordLongerThanItsPacketGetsTheErrorReply) {
    startAndConnect();
    std::string body("STRG", 4);
    body += std::string("\x40\x00\x00\x00", 4);  // claims 64 bytes, carries 4
    body += std::string("#\0C\0", 4);
    ASSERT_TRUE(client.sendRaw(protocol::makePacket(body)));
    client::Reply reply;
    ASSERT_TRUE(client.receiveReply(&reply, kReplyTimeoutMs));
    EXPECT_FALSE(reply.ok);
    EXPECT_TRUE(handshake().ok);  // the connection goes on
}

TEST_F(ControlServerTest, TextRecordWithoutTerminatorGetsTheErrorReply) {
    startAndConnect();
    std::string body;
    std::string unterminated = protocol::encodeTextPayload(u"#CMD_SETUP");
    unterminated.resize(unterminated.size() - 2);
    protocol::appendRecord(body, protocol::kText, unterminated);
    ASSERT_TRUE(client.sendRaw(protocol::makePacket(body)));
    client::Reply reply;
    ASSERT_TRUE(client.receiveReply(&reply, kReplyTimeoutMs));
    EXPECT_FALSE(reply.ok);
    EXPECT_FALSE(server->isClientAuthenticated());
}

TEST_F(ControlServerTest, SecondClientWaitsUntilTheFirstLeaves) {
    startAndConnect();
    ASSERT_TRUE(handshake().ok);
    ControlClient second;
    ASSERT_TRUE(second.connect("127.0.0.1", server->port(), 2000));  // sits in the backlog
    ASSERT_TRUE(second.sendTexts({ControlClient::setupMessage()}));
    client::Reply reply;
    EXPECT_FALSE(second.receiveReply(&reply, 200));
    client.close();
    EXPECT_TRUE(second.receiveReply(&reply, kReplyTimeoutMs));
    EXPECT_TRUE(reply.ok);
}

TEST_F(ControlServerTest, TeardownReleasesTheClientAndLogsShutdownLast) {
    config.serverLog = 1;
    startAndConnect();
    ASSERT_TRUE(handshake().ok);
    server.reset();
    EXPECT_TRUE(client.waitClosed(5000));
    std::string log = folder.read("TamvikVR Server[Log].txt");
    EXPECT_NE(log.find("code=0x0003, msg1=\"切断(Release())\", msg2=\"127.0.0.1\""), std::string::npos);
    EXPECT_EQ(log.substr(log.size() - 9), "SHUTDOWN\n");
}

}  // namespace
}  // namespace tvr::test
