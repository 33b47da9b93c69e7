// SPDX-License-Identifier: MIT
// The web page's budget on loopback, in one process with the real window model and page server:
// the page ready (sign-in, the page, its script and style, the state) one request after the
// other, as a browser's upper bound; an event from the model to an open event stream; and the
// memory the process grows by over the rounds; then the CPU time the process spends while the
// page stays open and nothing happens. Usage: web_page_bench [rounds]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "core/paths.h"
#include "platform/poll.h"
#include "platform/socket.h"
#include "platform/time.h"
#include "platform/utf.h"
#include "ui/web/web_page.h"

namespace {

using namespace tvr;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kLoopback = 0x7F000001;

// Sends the request and reads until the server closes the connection or `until` arrives.
std::string talk(platform::SocketHandle socket, const std::string& request, std::string_view until = {}) {
    platform::sendSome(socket, request.data(), request.size());
    std::string received;
    for (;;) {
        platform::PollItem item{socket, true, false};
        if (platform::pollSockets(&item, 1, 5000, nullptr) != 1) return received;
        char buffer[65536];
        platform::IoResult result = platform::recvSome(socket, buffer, sizeof buffer);
        if (result.status != platform::IoStatus::Ok) return received;
        received.append(buffer, result.bytes);
        if (!until.empty() && received.find(until) != std::string::npos) return received;
    }
}

std::string get(std::uint16_t port, const std::string& target, const std::string& cookie) {
    platform::SocketHandle socket = platform::tcpConnect({kLoopback, port}, 2000);
    std::string answer = talk(
        socket, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n" + cookie + "\r\n");
    platform::closeSocket(socket);
    return answer;
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return 0;
}

void report(const char* what, std::vector<double>& ms, const char* budget) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-40s median %.2f ms, 95th %.2f ms, max %.2f ms (budget: %s)\n", what, ms[ms.size() / 2],
                ms[ms.size() * 95 / 100], ms.back(), budget);
}

constexpr int kIdleSeconds = 3;

// The CPU time the whole process spends over kIdleSeconds in which nothing is asked of it.
double idleCpuMs() {
    std::clock_t before = std::clock();
    std::this_thread::sleep_for(std::chrono::seconds(kIdleSeconds));
    return 1000.0 * static_cast<double>(std::clock() - before) / CLOCKS_PER_SEC;
}

int run(const std::u16string& data, int rounds) {
    core::setDataFolder(data);
    ui::web::WebView view;
    ui::MainWindowModel model(data + u"/TamvikVRServer.ini", view, data,
                              ui::ControllerOptions{nullptr, true, kLoopback});
    std::mutex mutex;
    ui::web::WebPage page(mutex, model, view);
    std::u16string problem;
    if (!model.loadSettings()) return 1;
    model.start();
    view.setController(&model.controller());
    double servicesIdle = idleCpuMs();
    if (!page.start(0, data, &problem)) return 1;
    std::string token = page.signInAddress().substr(page.signInAddress().find("/?token="));
    long before = residentKiB();

    std::vector<double> ready;
    std::string cookie;
    for (int round = 0; round < rounds; ++round) {
        auto start = Clock::now();
        std::string signIn = get(page.port(), token, "");
        std::size_t at = signIn.find("tvr_session=");
        cookie = "Cookie: " + signIn.substr(at, signIn.find(';', at) - at) + "\r\n";
        for (const char* target : {"/", "/app.js", "/style.css", "/api/state"}) get(page.port(), target, cookie);
        ready.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    report("page ready (5 requests, one by one)", ready, "100 ms");

    platform::SocketHandle stream = platform::tcpConnect({kLoopback, page.port()}, 2000);
    talk(stream,
         "GET /api/events HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(page.port()) + "\r\n" + cookie + "\r\n",
         "\r\n\r\n");
    std::vector<double> event;
    for (int round = 0; round < rounds; ++round) {
        std::string text = "bench event " + std::to_string(round) + " ";
        auto start = Clock::now();
        {
            std::lock_guard<std::mutex> lock(mutex);
            model.showEvent(platform::nowLocal(), platform::fromUtf8(text));
        }
        talk(stream, "", text);
        event.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    report("event from the model to the stream", event, "200 ms");
    std::printf("%-40s %ld KiB (budget: under 2048 KiB)\n", "resident memory growth over the rounds",
                residentKiB() - before);

    // Idle with the page open: the event stream stays connected, nothing happens. The services
    // without the page were measured the same way before it started.
    std::printf("%-40s %.1f ms over %d s (budget: as without the page, %.1f ms)\n", "CPU while idle with the page open",
                idleCpuMs(), kIdleSeconds, servicesIdle);
    platform::closeSocket(stream);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tvr-web-bench-" + std::to_string(platform::monotonicMs()));
    std::filesystem::create_directories(folder);
    int status = run(platform::fromUtf8(folder.string()), rounds);
    std::filesystem::remove_all(folder);
    return status;
}
