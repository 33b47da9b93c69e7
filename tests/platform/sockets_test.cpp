// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/poll.h"
#include "platform/socket.h"
#include "platform/time.h"

namespace tvr::platform {
namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;
constexpr int kDeadlineMs = 10000;

// Waits (bounded) until the socket is readable, as a service loop would.
bool waitReadable(SocketHandle socket) {
    PollItem item;
    item.socket = socket;
    item.wantRead = true;
    return pollSockets(&item, 1, kDeadlineMs, nullptr) == 1 && item.readable;
}

class SocketPair : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(socketsStartup());
        listener_ = tcpListen(Ipv4Endpoint{kLoopback, 0}, 4);
        ASSERT_NE(listener_, kInvalidSocket);
        port_ = localEndpoint(listener_).port;
        ASSERT_NE(port_, 0);
    }
    void TearDown() override {
        closeSocket(server_);
        closeSocket(client_);
        closeSocket(listener_);
        socketsCleanup();
    }
    void connectPair(const Ipv4Endpoint* bindLocal = nullptr) {
        client_ = tcpConnect(Ipv4Endpoint{kLoopback, port_}, kDeadlineMs, bindLocal);
        ASSERT_NE(client_, kInvalidSocket);
        ASSERT_TRUE(waitReadable(listener_));
        server_ = tcpAccept(listener_, &peer_);
        ASSERT_NE(server_, kInvalidSocket);
    }
    std::string receive(SocketHandle socket) {
        EXPECT_TRUE(waitReadable(socket));
        char buffer[256];
        IoResult result = recvSome(socket, buffer, sizeof buffer);
        EXPECT_EQ(result.status, IoStatus::Ok);
        return std::string(buffer, result.bytes);
    }

    SocketHandle listener_ = kInvalidSocket;
    SocketHandle client_ = kInvalidSocket;
    SocketHandle server_ = kInvalidSocket;
    Ipv4Endpoint peer_;
    std::uint16_t port_ = 0;
};

TEST_F(SocketPair, AcceptWithoutPendingConnectionReturnsInvalid) {
    EXPECT_EQ(tcpAccept(listener_, nullptr), kInvalidSocket);
}

TEST_F(SocketPair, SendAndReceiveBothWays) {
    connectPair();
    EXPECT_EQ(peer_.address, kLoopback);
    IoResult sent = sendSome(client_, "PACK", 4);
    EXPECT_EQ(sent.status, IoStatus::Ok);
    EXPECT_EQ(sent.bytes, 4u);
    EXPECT_EQ(receive(server_), "PACK");
    ASSERT_EQ(sendSome(server_, "reply", 5).bytes, 5u);
    EXPECT_EQ(receive(client_), "reply");
}

TEST_F(SocketPair, EmptySocketWouldBlock) {
    connectPair();
    char buffer[16];
    IoResult result = recvSome(server_, buffer, sizeof buffer);
    EXPECT_EQ(result.status, IoStatus::WouldBlock);
    EXPECT_EQ(result.bytes, 0u);
}

TEST_F(SocketPair, ClosedPeerIsToldApartAndSendingRaisesNoSignal) {
    connectPair();
    closeSocket(client_);
    client_ = kInvalidSocket;
    ASSERT_TRUE(waitReadable(server_));
    char buffer[16];
    EXPECT_EQ(recvSome(server_, buffer, sizeof buffer).status, IoStatus::Closed);
    // The peer is gone: sends fail (reset or broken pipe) but never kill the process.
    IoStatus status = IoStatus::Ok;
    for (int i = 0; i < 100 && status == IoStatus::Ok; ++i) status = sendSome(server_, "x", 1).status;
    EXPECT_TRUE(status == IoStatus::Closed || status == IoStatus::Error);
}

TEST_F(SocketPair, PeerHasLeftTellsAClosedPeerAndReadsNothing) {
    connectPair();
    EXPECT_FALSE(peerHasLeft(server_));
    ASSERT_TRUE(sendSome(client_, "abc", 3).status == IoStatus::Ok);
    EXPECT_EQ(receive(server_), "abc");
    EXPECT_FALSE(peerHasLeft(server_)) << "a peer that sent and waits is still there";
    closeSocket(client_);
    client_ = kInvalidSocket;
    const std::uint32_t start = monotonicMs();
    while (!peerHasLeft(server_) && monotonicMs() - start < static_cast<std::uint32_t>(kDeadlineMs)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(peerHasLeft(server_));
    char buffer[16];
    EXPECT_EQ(recvSome(server_, buffer, sizeof buffer).status, IoStatus::Closed) << "the end is still there to read";
}

// A sender that fills the socket gets would-block, waits for writability and goes on; the
// receiver waits for readability: what every service loop does with a large reply.
TEST_F(SocketPair, NoDelayIsOffUntilSetOnEitherEnd) {
    connectPair();
    for (SocketHandle socket : {server_, client_}) {
        EXPECT_FALSE(noDelay(socket)) << "a new socket holds small writes back";
        ASSERT_TRUE(setNoDelay(socket));
        EXPECT_TRUE(noDelay(socket));
    }
}

TEST_F(SocketPair, LargeTransferFlowsThroughWouldBlockAndReadiness) {
    connectPair();
    constexpr std::size_t kTotal = 8 << 20;
    std::thread sender([&] {
        std::string chunk(65536, 'v');
        std::size_t sent = 0;
        while (sent < kTotal) {
            IoResult result = sendSome(client_, chunk.data(), std::min(chunk.size(), kTotal - sent));
            if (result.status == IoStatus::WouldBlock) {
                PollItem item;
                item.socket = client_;
                item.wantWrite = true;
                if (pollSockets(&item, 1, kDeadlineMs, nullptr) != 1 || !item.writable) return;
                continue;
            }
            if (result.status != IoStatus::Ok) return;
            sent += result.bytes;
        }
    });
    std::size_t received = 0;
    std::uint32_t start = monotonicMs();
    std::vector<char> buffer(65536);
    while (received < kTotal && monotonicMs() - start < static_cast<std::uint32_t>(kDeadlineMs)) {
        IoResult result = recvSome(server_, buffer.data(), buffer.size());
        if (result.status == IoStatus::WouldBlock) {
            waitReadable(server_);
            continue;
        }
        if (result.status != IoStatus::Ok) break;
        received += result.bytes;
    }
    sender.join();
    EXPECT_EQ(received, kTotal);
    EXPECT_LT(monotonicMs() - start, 5000u) << "readiness must not wait for the poll time-out";
}

TEST_F(SocketPair, ClientCanBeBoundToAnotherLoopbackAddress) {
    closeSocket(listener_);
    listener_ = tcpListen(Ipv4Endpoint{0, 0}, 4);
    ASSERT_NE(listener_, kInvalidSocket);
    port_ = localEndpoint(listener_).port;
    Ipv4Endpoint local{0x7F000002, 0};
    connectPair(&local);
    EXPECT_EQ(formatIpv4(peer_.address), "127.0.0.2");
    EXPECT_EQ(localEndpoint(client_).address, 0x7F000002u);
}

TEST_F(SocketPair, ListeningOnATakenPortFailsWithError) {
    int error = 0;
    EXPECT_EQ(tcpListen(Ipv4Endpoint{kLoopback, port_}, 4, &error), kInvalidSocket);
    EXPECT_NE(error, 0);
}

TEST(SocketConnect, RefusedConnectionFails) {
    SocketHandle listener = tcpListen(Ipv4Endpoint{kLoopback, 0}, 1);
    ASSERT_NE(listener, kInvalidSocket);
    std::uint16_t port = localEndpoint(listener).port;
    closeSocket(listener);
    int error = 0;
    EXPECT_EQ(tcpConnect(Ipv4Endpoint{kLoopback, port}, kDeadlineMs, nullptr, &error), kInvalidSocket);
    EXPECT_NE(error, 0);
}

TEST(SocketAddress, ParsesAndFormatsDottedQuads) {
    std::uint32_t address = 0;
    ASSERT_TRUE(resolveIpv4("192.168.1.20", &address));
    EXPECT_EQ(address, 0xC0A80114u);
    EXPECT_EQ(formatIpv4(address), "192.168.1.20");
    ASSERT_TRUE(resolveIpv4("localhost", &address));
    EXPECT_EQ(address >> 24, 127u);
    EXPECT_FALSE(resolveIpv4("", &address));
    EXPECT_FALSE(resolveIpv4("no.such.host.invalid", &address));
}

TEST(Waker, PendingWakeEndsTheNextWaitAndIsConsumed) {
    Waker waker;
    waker.wake();
    waker.wake();
    EXPECT_EQ(pollSockets(nullptr, 0, -1, &waker), 0);
    // Consumed: a zero-timeout wait now finds nothing pending.
    SocketHandle listener = tcpListen(Ipv4Endpoint{kLoopback, 0}, 1);
    PollItem item;
    item.socket = listener;
    item.wantRead = true;
    EXPECT_EQ(pollSockets(&item, 1, 0, &waker), 0);
    EXPECT_FALSE(item.readable);
    closeSocket(listener);
}

TEST(Waker, WakeFromAnotherThreadEndsAWaitEarly) {
    Waker waker;
    constexpr int kLongWaitMs = 120000;
    std::uint32_t start = monotonicMs();
    std::thread other([&] { waker.wake(); });
    int ready = pollSockets(nullptr, 0, kLongWaitMs, &waker);
    other.join();
    EXPECT_EQ(ready, 0);
    EXPECT_LT(monotonicMs() - start, static_cast<std::uint32_t>(kLongWaitMs));
}

}  // namespace
}  // namespace tvr::platform
