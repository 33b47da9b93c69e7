// SPDX-License-Identifier: MIT
// Faults found in review of the control connection, each kept as a case so it stays fixed.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>

#include "core/text.h"
#include "integration/control_fixture.h"
#include "protocol/status_codes.h"
#include "protocol/wire.h"

namespace tvr::test {
namespace {

// A manual clock that counts how often the server asks for the time: every pass with a client
// and nothing to do asks once, so the count tells how many passes ran.
class CountingClock final : public core::Clock {
public:
    std::uint32_t nowMs() override {
        ++calls;
        return 1000;
    }
    std::atomic<std::uint64_t> calls{0};
};

// The clock is a member so that it outlives the server, which the fixture frees in TearDown.
class CountedPassTest : public ControlServerTest {
protected:
    CountingClock counting;
};

TEST_F(CountedPassTest, PartlyReceivedPacketIsWaitedForWithoutSpinning) {
    server = std::make_unique<protocol::ControlServer>(counting, &commands, library);
    ASSERT_TRUE(server->startListening(0, config, kLoopback));
    ASSERT_TRUE(client.connect("127.0.0.1", server->port(), 2000));
    std::string body;
    protocol::appendRecord(body, protocol::kText, protocol::encodeTextPayload(client::ControlClient::setupMessage()));
    std::string packet = protocol::makePacket(body);
    // The header and part of the body arrive; the rest is late.
    ASSERT_TRUE(client.sendRaw(packet.substr(0, 12)));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (counting.calls.load() < 3 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Nothing can complete in this window, so there is no event to wait for: the passes that
    // run in it are the measure. Paced at 20 ms they are about ten; a spinning loop runs
    // thousands.
    std::uint64_t before = counting.calls.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_LT(counting.calls.load() - before, 100u);
    ASSERT_TRUE(client.sendRaw(packet.substr(12)));
    client::Reply reply;
    ASSERT_TRUE(client.receiveReply(&reply, kReplyTimeoutMs));
    EXPECT_TRUE(reply.ok);
}

// One packet asks for the same listing many times: its answer is far more than the socket
// buffers hold, so the server is still sending it when the headset stops reading.
class StalledHeadsetTest : public ControlServerTest {
protected:
    void startStalledListing() {
        std::string longName(200, 'n');
        for (int i = 0; i < 150; ++i) folder.write("big/" + longName + std::to_string(i) + ".mp4", "");
        config.extensions = u"mp4";
        config.channels[1].path = folder.file16("big");
        startAndConnect();
        ASSERT_TRUE(handshake().ok);
        ASSERT_TRUE(client.sendTexts(std::vector<std::u16string>(300, u"#CMD_GET_CHANNEL(<ch>1)")));
        std::vector<client::Record> first;
        ASSERT_TRUE(client.receivePacket(&first, kReplyTimeoutMs));  // the server is at work on the packet
    }
};

TEST_F(StalledHeadsetTest, VideoServerQuestionsAreAnsweredWhileAChannelIsListed) {
    ASSERT_NO_FATAL_FAILURE(startStalledListing());
    auto answer = std::async(std::launch::async, [&] { return server->isVideoAccepted(u"/v/a.mp4"); });
    EXPECT_EQ(answer.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_TRUE(answer.get());
}

TEST_F(StalledHeadsetTest, StopDoesNotWaitForAHeadsetThatStoppedReading) {
    ASSERT_NO_FATAL_FAILURE(startStalledListing());
    auto stopped = std::async(std::launch::async, [&] { server.reset(); });
    // Each send that cannot go out waits up to 5 s; hundreds of them must not hold up the stop.
    bool stoppedInTime = stopped.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    client.close();  // a failing run ends here: sends to a closed peer fail at once
    stopped.get();
    EXPECT_TRUE(stoppedInTime);
}

// A stop that comes as a large listing begins ends it at its next step instead of waiting for the
// rest. Under Wine, whose StrCmpLogicalW compares long names a character at a time, one listing
// of these names takes a second or more; before, a stop waited for it to end.
TEST_F(ControlServerTest, StopEndsAListingInProgress) {
    constexpr std::size_t kFiles = 1500;
    const std::string prefix(190, 'n');  // the whole path stays below Windows' 260 characters
    for (std::size_t i = 0; i < kFiles; ++i) folder.write("big/" + prefix + std::to_string(i) + ".mp4", "");
    config.extensions = u"mp4";
    config.channels[1].path = folder.file16("big");
    startAndConnect();
    ASSERT_TRUE(handshake().ok);
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_TRUE(client.sendTexts({u"#CMD_GET_CHANNEL(<ch>1)", u"#CMD_GET_CHANNEL(<ch>1)"}));
    client::Reply first;
    ASSERT_TRUE(client.receiveReply(&first, 120000));
    ASSERT_EQ(first.entries().size(), kFiles);
    const auto oneListing = std::chrono::steady_clock::now() - sent;

    // The second listing has just begun. The stop waits for one step of it: a folder entry, or a
    // run or a merge of the sort, each comparing at most about as many pairs as there are names,
    // where the whole sort makes some eleven such rounds. Half a listing is ample for that.
    const auto stopping = std::chrono::steady_clock::now();
    server.reset();
    const auto stopped = std::chrono::steady_clock::now() - stopping;
    auto ms = [](auto duration) { return std::chrono::duration_cast<std::chrono::milliseconds>(duration).count(); };
    EXPECT_LT(stopped, oneListing / 2 + std::chrono::milliseconds(250))
        << "stop took " << ms(stopped) << " ms; one listing took " << ms(oneListing) << " ms";
}

// A headset that sends packets of thousands of empty records and never reads: each record gets
// an error reply, the replies fill every buffer, and before the fix every one of them waited out
// its own 5 s send time-out, holding the line for hours.
TEST_F(ControlServerTest, HeadsetThatNeverReadsIsDroppedAfterOneSendTimeOut) {
    startAndConnect();
    std::string body;
    for (int i = 0; i < 8195; ++i) body += std::string("XXXX\0\0\0\0", 8);
    std::string packet = protocol::makePacket(body);
    std::thread flood([&] {
        for (int i = 0; i < 40; ++i) {
            if (!client.sendRaw(packet)) break;  // the server dropped the line
        }
    });
    protocol::StatusSlot dropped = waitStatusWithin(protocol::status::kDisconnected, 30);
    EXPECT_EQ(dropped.text1, u"切断(送信タイムアウト)");
    flood.join();
    client.close();
    // The line is free for the next headset at once.
    client::ControlClient next;
    ASSERT_TRUE(next.connect("127.0.0.1", server->port(), 2000));
    ASSERT_TRUE(next.sendTexts({client::ControlClient::setupMessage()}));
    client::Reply reply;
    ASSERT_TRUE(next.receiveReply(&reply, kReplyTimeoutMs));
    EXPECT_TRUE(reply.ok);
}

TEST_F(ControlServerTest, NoTrafficTimeOutOfManyDaysDoesNotWrap) {
    config.liveTimeoutSec = 4294968;  // times 1000 is just past 2^32 ms
    startAndConnect();
    clock.advance(10000);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(server->isConnected());
    clock.advance(0x7FFFFFFFu);  // the longest time-out the tick arithmetic holds
    protocol::StatusSlot dropped = waitStatusWithin(protocol::status::kDisconnected, 5);
    EXPECT_EQ(dropped.text1.rfind(u"切断(無通信:", 0), 0u);
}

}  // namespace
}  // namespace tvr::test
