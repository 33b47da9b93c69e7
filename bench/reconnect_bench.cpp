// SPDX-License-Identifier: MIT
// What a headset whose Wi-Fi drops waits for: the server runs in this process as every front-end
// runs it (the controller ticked every 100 ms); a headset logs in, drops the connection, logs in
// again on a new one and at once asks for a video. Measures the time from the arrival of the new
// login's reply (when the request's connect starts) to the first body byte, beside the same
// request made again under that login, and counts bodies that did not arrive whole.
// Usage: reconnect_bench [rounds, default 200]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "client/control_client.h"
#include "core/paths.h"
#include "platform/poll.h"
#include "platform/socket.h"
#include "platform/utf.h"
#include "ui/controller.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint32_t kLoopback = 0x7F000001;
constexpr std::size_t kVideoBytes = 3u << 20;

struct QuietView final : tvr::ui::StatusView {
    void showStatus(const tvr::platform::LocalTime&, std::int32_t, std::u16string_view, std::u16string_view) override {}
    void showProblem(std::u16string_view) override {}
};

// Milliseconds from now to the first body byte of the request, and whether the whole body came.
bool fetch(std::uint16_t port, const std::string& request, double* firstBodyMs) {
    Clock::time_point start = Clock::now();
    tvr::platform::SocketHandle socket = tvr::platform::tcpConnect({kLoopback, port}, 5000);
    if (socket == tvr::platform::kInvalidSocket) return false;
    bool ok = tvr::platform::sendSome(socket, request.data(), request.size()).bytes == request.size();
    std::string head;
    std::size_t body = 0;
    *firstBodyMs = -1;
    char chunk[65536];
    while (ok && body < kVideoBytes) {
        tvr::platform::IoResult result = tvr::platform::recvSome(socket, chunk, sizeof chunk);
        if (result.status == tvr::platform::IoStatus::WouldBlock) {
            tvr::platform::PollItem item;
            item.socket = socket;
            item.wantRead = true;
            ok = tvr::platform::pollSockets(&item, 1, 5000, nullptr) > 0;
            continue;
        }
        if (result.status != tvr::platform::IoStatus::Ok || result.bytes == 0) break;
        std::size_t at = 0;
        if (head.find("\r\n\r\n") == std::string::npos) {
            head.append(chunk, result.bytes);
            std::size_t end = head.find("\r\n\r\n");
            if (end == std::string::npos) continue;
            at = result.bytes - (head.size() - end - 4);
        }
        if (result.bytes > at && *firstBodyMs < 0) {
            *firstBodyMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        }
        body += result.bytes - at;
    }
    tvr::platform::closeSocket(socket);
    return ok && body == kVideoBytes;
}

bool login(tvr::client::ControlClient& client, std::uint16_t port) {
    tvr::client::Reply reply;
    return client.connect("127.0.0.1", port, 2000) && client.sendTexts({tvr::client::ControlClient::setupMessage()}) &&
           client.receiveReply(&reply, 5000) && reply.ok;
}

void report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-34s median %6.2f ms, p90 %6.2f ms, max %6.2f ms\n", what, ms[ms.size() / 2], ms[ms.size() * 9 / 10],
                ms.back());
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
    if (rounds < 1) return 2;
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "tvr-reconnect-bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "clip.mp4", std::ios::binary) << std::string(kVideoBytes, 'v');
    tvr::core::setDataFolder(tvr::platform::fromUtf8(folder.string()));
    QuietView view;
    int failures = 0;
    {
        tvr::ui::Controller controller(tvr::platform::fromUtf8((folder / "TamvikVRServer.ini").string()), view,
                                       tvr::ui::ControllerOptions{nullptr, true, kLoopback});
        if (!controller.start()) return 3;
        std::atomic<bool> ticking{true};
        std::thread timer([&] {
            while (ticking) {
                controller.tick();
                std::this_thread::sleep_for(std::chrono::milliseconds(tvr::ui::Controller::kTickMs));
            }
        });
        const std::uint16_t control = controller.controlServer()->port();
        const std::uint16_t video = controller.videoServer()->port();
        const std::string request = "GET /" + (folder / "clip.mp4").string() + " HTTP/1.1\r\n\r\n";
        std::vector<double> afterReconnect;
        std::vector<double> sameLogin;
        for (int round = 0; round < rounds; ++round) {
            tvr::client::ControlClient dropped;
            tvr::client::ControlClient headset;
            double ms = 0;
            if (!login(dropped, control)) return 4;
            dropped.close();
            if (!login(headset, control)) return 4;
            failures += fetch(video, request, &ms) ? 0 : 1;
            afterReconnect.push_back(ms);
            failures += fetch(video, request, &ms) ? 0 : 1;
            sameLogin.push_back(ms);
        }
        ticking = false;
        timer.join();
        std::printf("%d rounds of a 3 MiB video, time from the request to its first body byte:\n", rounds);
        report("right after a reconnect:", afterReconnect);
        report("under a login that did not change:", sameLogin);
        std::printf("bodies cut short: %d of %d\n", failures, 2 * rounds);
    }
    std::filesystem::remove_all(folder);
    return failures == 0 ? 0 : 1;
}
