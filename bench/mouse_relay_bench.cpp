// SPDX-License-Identifier: MIT
// The mouse relay's pace, cost and delay on loopback, with a stand-in capture whose movements
// the bench makes at random moments: datagrams per second (target 58 to 59, no drift), the
// process's CPU time while relaying (target under 1 % of one core; the receiver is counted too),
// and the delay from a movement to the first datagram that carries it (target under 20 ms).
// Usage: mouse_relay_bench [seconds]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "mouse/capture_library.h"
#include "mouse/mouse_relay.h"
#include "platform/poll.h"
#include "platform/socket.h"

namespace {

using Clock = std::chrono::steady_clock;

// Each move adds one count to x; the bench notes when it happened.
class MovingCapture final : public tvr::mouse::CaptureLibrary {
public:
    void move() {
        std::lock_guard lock(mutex_);
        ++pending_;
    }
    Handle create() override { return this; }
    bool start(Handle) override { return true; }
    void stop(Handle) override {}
    void get(Handle) override {
        std::lock_guard lock(mutex_);
        taken_ = pending_;
        pending_ = 0;
    }
    std::int32_t state(Handle, std::int32_t index) override {
        std::lock_guard lock(mutex_);
        return index == tvr::mouse::kDeltaX ? taken_ : 0;
    }
    void release(Handle) override {}
    std::u16string problem() override { return {}; }

private:
    std::mutex mutex_;
    std::int32_t pending_ = 0;
    std::int32_t taken_ = 0;
};

double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

}  // namespace

int main(int argc, char** argv) {
    using namespace tvr;
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    platform::Ipv4Endpoint local{0x7F000001, 0};
    platform::SocketHandle receiver = platform::udpSocket(&local);
    std::uint16_t port = platform::localEndpoint(receiver).port;

    MovingCapture capture;
    core::CommandQueue commands;
    mouse::MouseRelay relay(capture, core::SystemClock::instance(), &commands);

    std::atomic<bool> done{false};
    std::mutex movesMutex;
    std::vector<Clock::time_point> moves;  // the moment of move k, for the datagram with px k + 1
    std::thread mover([&] {
        std::mt19937 random(7);
        std::uniform_int_distribution<int> pause(30, 120);
        while (!done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
            std::lock_guard lock(movesMutex);
            moves.push_back(Clock::now());
            capture.move();
        }
    });

    const double cpuStart = cpuSeconds();
    const auto start = Clock::now();
    relay.start(u"127.0.0.1", port);
    std::vector<Clock::time_point> arrivals;
    std::vector<double> delaysMs;
    int lastPx = 0;
    const auto end = start + std::chrono::seconds(seconds);
    while (Clock::now() < end) {
        platform::PollItem item{receiver, true};
        if (platform::pollSockets(&item, 1, 100, nullptr) <= 0) continue;
        char buffer[256];
        platform::IoResult got = platform::recvSome(receiver, buffer, sizeof buffer);
        if (got.status != platform::IoStatus::Ok) continue;
        auto now = Clock::now();
        arrivals.push_back(now);
        std::string datagram(buffer, got.bytes);
        int px = std::atoi(datagram.c_str() + datagram.find("px=") + 3);
        std::lock_guard lock(movesMutex);
        for (int k = lastPx; k < px && k < static_cast<int>(moves.size()); ++k) {
            delaysMs.push_back(
                std::chrono::duration<double, std::milli>(now - moves[static_cast<std::size_t>(k)]).count());
        }
        lastPx = px;
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = cpuSeconds() - cpuStart;
    relay.stop();
    done = true;
    mover.join();
    platform::closeSocket(receiver);

    if (arrivals.size() < 2 || delaysMs.empty()) {
        std::fprintf(stderr, "no datagrams arrived\n");
        return 1;
    }
    std::vector<double> gaps;
    for (std::size_t i = 1; i < arrivals.size(); ++i)
        gaps.push_back(std::chrono::duration<double, std::milli>(arrivals[i] - arrivals[i - 1]).count());
    std::sort(gaps.begin(), gaps.end());
    std::sort(delaysMs.begin(), delaysMs.end());
    const double span = std::chrono::duration<double>(arrivals.back() - arrivals.front()).count();
    std::printf(
        "mouse relay over %.1f s: %zu datagrams, %.2f per second (target 58-59), interval median %.2f ms, "
        "p99 %.2f ms, max %.2f ms\n",
        wall, arrivals.size(), static_cast<double>(arrivals.size() - 1) / span, gaps[gaps.size() / 2],
        gaps[gaps.size() * 99 / 100], gaps.back());
    std::printf("CPU while relaying: %.3f %% of one core (target < 1 %%, receiver and mover included)\n",
                100.0 * cpu / wall);
    std::printf("movement to datagram: %zu moves, median %.2f ms, p99 %.2f ms, max %.2f ms (target < 20 ms)\n",
                delaysMs.size(), delaysMs[delaysMs.size() / 2], delaysMs[delaysMs.size() * 99 / 100], delaysMs.back());
    return 0;
}
