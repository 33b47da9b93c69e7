// SPDX-License-Identifier: MIT
// Saves a favourites list of 60,000 videos over a real connection, as the headset does: the
// "#CMD_SAVE_CHANNEL" request, one data record per video in as few packets as fit, the end
// record; timed from the first packet sent to the reply. Target: below 1 s.
// Usage: save_channel_bench [entries] [runs]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "client/control_client.h"
#include "core/clock.h"
#include "core/paths.h"
#include "core/text.h"
#include "protocol/control_server.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using tvr::client::ControlClient;

namespace {

// A packet must fit the server's receive buffer (65,568 bytes); records are packed below that.
constexpr std::size_t kPacketBudget = 60000;

std::vector<std::vector<std::u16string>> savePackets(int entries) {
    std::vector<std::vector<std::u16string>> packets(1);
    std::size_t bytes = 0;
    auto add = [&](std::u16string text) {
        const std::size_t size = 8 + 2 * (text.size() + 1);
        if (bytes + size > kPacketBudget) {
            packets.emplace_back();
            bytes = 0;
        }
        bytes += size;
        packets.back().push_back(std::move(text));
    };
    add(u"#CMD_SAVE_CHANNEL(<ch>7)");
    for (int i = 0; i < entries; ++i) {
        add(tvr::core::format(u"#DAT_SAVE_CHANNEL(<path>\"D:/Videos/Series %d/Episode %d of a longer title.mp4\")",
                              {i / 100, i}));
    }
    add(tvr::core::format(u"#DAT_END(<no>%d)", {entries}));
    return packets;
}

}  // namespace

int main(int argc, char** argv) {
    const int entries = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const fs::path work = fs::temp_directory_path() / "tvr-save-channel-bench";
    fs::remove_all(work);
    fs::create_directories(work);
    tvr::core::setDataFolder(tvr::platform::fromUtf8(work.string()));

    tvr::core::Config config = tvr::core::defaultConfig();
    tvr::library::LibraryState library;
    tvr::protocol::ControlServer server(tvr::core::SystemClock::instance(), nullptr, library);
    if (!server.startListening(0, config, 0x7F000001)) return 3;
    ControlClient client;
    tvr::client::Reply reply;
    if (!client.connect("127.0.0.1", server.port(), 2000) || !client.sendTexts({ControlClient::setupMessage()}) ||
        !client.receiveReply(&reply, 5000) || !reply.ok) {
        return 3;
    }
    const auto packets = savePackets(entries);
    std::vector<double> samples;
    std::vector<double> cpu;  // both ends' processor time: on a busy machine the wall time is mostly waiting
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        const std::clock_t cpuStart = std::clock();
        for (const auto& packet : packets) {
            if (!client.sendTexts(packet)) return 1;
        }
        if (!client.receiveReply(&reply, 120000) || !reply.ok) return 1;
        samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        cpu.push_back(1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
    }
    const auto saved = fs::file_size(work / "favorite.vrl");
    std::sort(samples.begin(), samples.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("favourites saved: %d entries in %zu packets, file %ju bytes\n", entries, packets.size(),
                static_cast<std::uintmax_t>(saved));
    std::printf("save over the connection: median %.1f ms, slowest %.1f ms over %d runs (target below 1000 ms)\n",
                samples[samples.size() / 2], samples.back(), runs);
    std::printf("processor time of server and client: median %.1f ms\n", cpu[cpu.size() / 2]);
    fs::remove_all(work);
    return 0;
}
