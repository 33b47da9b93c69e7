// SPDX-License-Identifier: MIT
// Commands whose effect reaches past one reply, over a real connection: the word list saved when
// the headset leaves and when the server stops, and the suspension of the no-traffic time-out.
#include "integration/control_fixture.h"
#include "protocol/status_codes.h"

namespace tvr::test {
namespace {

class SessionCommandsTest : public ControlServerTest {
protected:
    client::Reply command(std::u16string_view name, std::u16string a0 = u"", std::u16string a1 = u"") {
        const std::u16string args[4] = {std::move(a0), std::move(a1), u"", u""};
        client::Reply reply;
        EXPECT_TRUE(client.sendCommand(name, args));
        EXPECT_TRUE(client.receiveReply(&reply, kReplyTimeoutMs));
        return reply;
    }
    void connectWithWordList() {
        config.wordListPath = u"WordList.txt";
        startAndConnect();
        ASSERT_TRUE(handshake().ok);
        ASSERT_TRUE(command(u"CM_WORDLIST_ADD", u"id", u"word").ok);
    }
    static constexpr char kSaved[] = "\xEF\xBB\xBF#start\r\n#dat\t\"id\" \"word\"\r\n#end\r\n";
};

TEST_F(SessionCommandsTest, WordListIsSavedWhenTheHeadsetLeaves) {
    connectWithWordList();
    EXPECT_EQ(folder.read("WordList.txt"), "") << "an addition alone does not write";
    client.close();
    waitStatus(protocol::status::kDisconnected);
    EXPECT_EQ(folder.read("WordList.txt"), kSaved);
}

TEST_F(SessionCommandsTest, WordListIsSavedWhenTheServerStops) {
    connectWithWordList();
    server.reset();
    EXPECT_EQ(folder.read("WordList.txt"), kSaved);
}

TEST_F(SessionCommandsTest, SuspendedHeadsetOutlivesTheNoTrafficTimeOut) {
    config.liveTimeoutSec = 10;
    startAndConnect();
    ASSERT_TRUE(handshake().ok);
    ASSERT_TRUE(command(u"CM_LIVE_TIME", u"1", u"30").ok);
    EXPECT_EQ(waitStatus(protocol::status::kSuspended).text2, u"127.0.0.1");
    clock.advance(60000);
    waitForAPass();
    EXPECT_TRUE(server->isConnected());
    ASSERT_TRUE(command(u"CM_LIVE_TIME", u"0", u"30").ok);
    EXPECT_EQ(waitStatus(protocol::status::kResumed).text1, u"中断解除");
    // The server notes the time of its last send after the packet, which may be after this thread
    // saw the reply: a whole pass later it has.
    waitForAPass();
    clock.advance(11000);
    EXPECT_EQ(waitStatus(protocol::status::kDisconnected).text1.rfind(u"切断(無通信:", 0), 0u);
}

// The suspension outlives a headset that drops, for its return; a stranger that connects
// meanwhile and never logs in is still dropped by the no-traffic time-out, so it cannot hold
// the only place.
TEST_F(SessionCommandsTest, SuspensionLeftByADroppedHeadsetDoesNotShieldAStranger) {
    config.liveTimeoutSec = 10;
    config.usePassword = 1;
    config.password = u"1234";
    startAndConnect();
    ASSERT_TRUE(handshake().ok);
    ASSERT_TRUE(request({u"#CMD_PASSWORD(<pass>\"1234\")"}).ok);
    ASSERT_TRUE(command(u"CM_LIVE_TIME", u"1", u"30").ok);
    waitStatus(protocol::status::kSuspended);
    client.close();
    waitStatus(protocol::status::kDisconnected);

    ASSERT_TRUE(client.connect("127.0.0.1", server->port(), 2000));
    waitStatus(protocol::status::kConnected);
    clock.advance(11000);
    EXPECT_TRUE(client.waitClosed(5000)) << "a silent stranger keeps the place";
    EXPECT_EQ(waitStatus(protocol::status::kDisconnected).text1.rfind(u"切断(無通信:", 0), 0u);

    ASSERT_TRUE(client.connect("127.0.0.1", server->port(), 2000));
    ASSERT_TRUE(handshake().ok);
    ASSERT_TRUE(request({u"#CMD_PASSWORD(<pass>\"1234\")"}).ok);
    clock.advance(60000);
    EXPECT_FALSE(client.waitClosed(200)) << "the returning headset keeps its suspension";
    EXPECT_TRUE(server->isConnected());
}

}  // namespace
}  // namespace tvr::test
