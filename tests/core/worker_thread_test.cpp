// SPDX-License-Identifier: MIT
#include "core/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <new>

#include "platform/socket.h"

namespace tvr::core {
namespace {

// Polls a condition until it holds or a generous deadline passes.
bool eventually(const std::function<bool()>& condition) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST(WorkerThreadTest, LoopRunsUntilStopped) {
    std::atomic<int> passes{0};
    WorkerThread worker;
    ASSERT_TRUE(worker.start([&] {
        ++passes;
        worker.sleepFor(1);
        return 1;
    }));
    EXPECT_TRUE(worker.running());
    ASSERT_TRUE(eventually([&] { return passes >= 3; }));
    EXPECT_FALSE(worker.finished());
    worker.stop();
    EXPECT_FALSE(worker.running());
    EXPECT_TRUE(worker.stopRequested());
    EXPECT_TRUE(worker.finished());
}

TEST(WorkerThreadTest, LoopReturningZeroEndsTheThread) {
    std::atomic<int> passes{0};
    WorkerThread worker;
    ASSERT_TRUE(worker.start([&] { return ++passes < 3 ? 1 : 0; }));
    ASSERT_TRUE(eventually([&] { return worker.finished(); }));
    EXPECT_EQ(passes, 3);
    EXPECT_FALSE(worker.stopRequested());
    worker.stop();
    EXPECT_EQ(passes, 3);
}

TEST(WorkerThreadTest, ALoopThatThrowsIsReportedAndRunsOn) {
    std::atomic<int> passes{0};
    WorkerThread worker;
    ASSERT_TRUE(worker.start([&]() -> std::int32_t {
        if (++passes == 1) throw std::bad_alloc();
        return 1;
    }));
    ASSERT_TRUE(eventually([&] { return passes >= 2; }));
    EXPECT_FALSE(worker.finished());
    worker.stop();
    EXPECT_TRUE(worker.finished());
}

TEST(WorkerThreadTest, SecondStopDoesNothingAndStartNeedsALoop) {
    WorkerThread worker;
    EXPECT_FALSE(worker.start(nullptr));
    worker.stop();
    ASSERT_TRUE(worker.start([&] { return worker.sleepFor(5) ? 0 : 1; }));
    EXPECT_FALSE(worker.start([] { return 1; }));
    worker.stop();
    worker.stop();
    EXPECT_FALSE(worker.running());
}

TEST(WorkerThreadTest, StopEndsALongSleepAtOnce) {
    std::atomic<bool> sleeping{false};
    std::atomic<int> sleepResult{-1};
    WorkerThread worker;
    ASSERT_TRUE(worker.start([&] {
        sleeping = true;
        sleepResult = worker.sleepFor(600000) ? 1 : 0;
        return 1;
    }));
    ASSERT_TRUE(eventually([&] { return sleeping.load(); }));
    worker.stop();
    EXPECT_EQ(sleepResult, 1);
}

TEST(WorkerThreadTest, WakeEndsWaitSocketsAndSleepEarly) {
    std::atomic<int> waits{0};
    std::atomic<int> sleeps{0};
    WorkerThread worker;
    ASSERT_TRUE(worker.start([&] {
        worker.waitSockets(nullptr, 0, 600000);
        ++waits;
        if (worker.sleepFor(600000)) return 0;
        ++sleeps;
        return 1;
    }));
    worker.wake();
    ASSERT_TRUE(eventually([&] { return waits >= 1; }));
    worker.wake();
    ASSERT_TRUE(eventually([&] { return sleeps >= 1; }));
    worker.stop();
}

TEST(WorkerThreadTest, WaitSocketsReportsAReadySocket) {
    ASSERT_TRUE(platform::socketsStartup());
    platform::SocketHandle listener = platform::tcpListen({0x7F000001, 0}, 4);
    ASSERT_NE(listener, platform::kInvalidSocket);
    platform::Ipv4Endpoint target{0x7F000001, platform::localEndpoint(listener).port};
    std::atomic<int> readySeen{0};
    WorkerThread worker;
    ASSERT_TRUE(worker.start([&] {
        platform::PollItem item;
        item.socket = listener;
        item.wantRead = true;
        if (worker.waitSockets(&item, 1, 600000) == 1 && item.readable) ++readySeen;
        return readySeen > 0 ? 0 : 1;
    }));
    platform::SocketHandle client = platform::tcpConnect(target, 5000);
    ASSERT_NE(client, platform::kInvalidSocket);
    EXPECT_TRUE(eventually([&] { return worker.finished(); }));
    worker.stop();
    EXPECT_EQ(readySeen, 1);
    platform::closeSocket(client);
    platform::closeSocket(listener);
    platform::socketsCleanup();
}

TEST(WorkerThreadTest, LoopMayStopItsOwnThread) {
    std::atomic<int> passes{0};
    WorkerThread worker;
    ASSERT_TRUE(worker.start([&] {
        ++passes;
        worker.stop();
        return 1;
    }));
    ASSERT_TRUE(eventually([&] { return worker.finished(); }));
    EXPECT_EQ(passes, 1);
    worker.stop();
    EXPECT_FALSE(worker.running());
}

}  // namespace
}  // namespace tvr::core
