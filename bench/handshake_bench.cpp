// SPDX-License-Identifier: MIT
// Times handshake round trips against a running control server.
// Usage: handshake_bench <port> [count]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "client/control_client.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: handshake_bench <port> [count]\n");
        return 2;
    }
    auto port = static_cast<std::uint16_t>(std::atoi(argv[1]));
    int count = argc > 2 ? std::atoi(argv[2]) : 1000;
    tvr::client::ControlClient client;
    if (!client.connect("127.0.0.1", port, 2000)) {
        std::fprintf(stderr, "cannot connect to port %u\n", port);
        return 3;
    }
    std::vector<double> micros;
    micros.reserve(static_cast<std::size_t>(count));
    tvr::client::Reply reply;
    for (int i = 0; i < count; ++i) {
        auto start = std::chrono::steady_clock::now();
        if (!client.sendTexts({tvr::client::ControlClient::setupMessage()}) || !client.receiveReply(&reply, 5000) ||
            !reply.ok) {
            std::fprintf(stderr, "handshake %d failed\n", i);
            return 1;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(micros.begin(), micros.end());
    std::printf("handshake round trips: %d, median %.0f us, p90 %.0f us, max %.0f us\n", count,
                micros[micros.size() / 2], micros[micros.size() * 9 / 10], micros.back());
    return 0;
}
