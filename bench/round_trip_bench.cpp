// SPDX-License-Identifier: MIT
// Round trips of a headset's everyday requests against a running control server on loopback:
// "#CMD_GET_CHANNEL" of channel 0 (a folder of 1 video) and of channel 1 (100 videos), and one
// packet of 13 CM_ commands. Each is timed 200 times as it comes, then again with TCP_QUICKACK
// forced on this client after every read, so that no reply waits for a delayed acknowledgement:
// that second figure is the floor. Run by bench/round_trip_bench.sh, which makes the folders.
// Usage: round_trip_bench <port> [rounds]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "client/control_client.h"
#include "platform/poll.h"
#include "platform/socket.h"
#include "protocol/wire.h"

namespace {

using namespace tvr;

constexpr std::uint32_t kLoopback = 0x7F000001;

struct Request {
    const char* name;
    std::string bytes;
    std::size_t verdicts;  // "#RET_OK()" records that end the reply
};

// A raw client that can force quick acknowledgements, which ControlClient does not expose.
class Line {
public:
    explicit Line(std::uint16_t port) {
        socket_ = platform::tcpConnect({kLoopback, port}, 2000);
        if (socket_ != platform::kInvalidSocket) platform::setNoDelay(socket_);
    }
    ~Line() { platform::closeSocket(socket_); }
    bool connected() const { return socket_ != platform::kInvalidSocket; }

    bool roundTrip(const Request& request, bool quickAck) {
        std::string_view out = request.bytes;
        while (!out.empty()) {
            platform::IoResult sent = platform::sendSome(socket_, out.data(), out.size());
            if (sent.status != platform::IoStatus::Ok) return false;
            out.remove_prefix(sent.bytes);
        }
        std::size_t verdicts = 0;
        while (verdicts < request.verdicts && !refused_) {
            if (!takePacket(&verdicts)) {
                platform::PollItem item{socket_, true, false};
                if (platform::pollSockets(&item, 1, 5000, nullptr) != 1) return false;
                char chunk[65536];
                platform::IoResult got = platform::recvSome(socket_, chunk, sizeof chunk);
                if (quickAck) platform::setQuickAck(socket_);
                if (got.status != platform::IoStatus::Ok) return false;
                buffer_.append(chunk, got.bytes);
            }
        }
        return !refused_;
    }

private:
    // Takes one whole packet from the buffer, counting its "#RET_OK()" records.
    bool takePacket(std::size_t* verdicts) {
        if (buffer_.size() < protocol::kHeaderSize) return false;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(buffer_.data());
        const std::size_t size = protocol::kHeaderSize + protocol::readU32(bytes + 4);
        if (buffer_.size() < size) return false;
        protocol::RecordView record;
        for (std::size_t at = 0; at < size - protocol::kHeaderSize; at += protocol::kHeaderSize + record.size) {
            if (!protocol::readRecord(bytes + protocol::kHeaderSize, size - protocol::kHeaderSize, at, &record)) break;
            std::u16string text;
            if (record.type != protocol::kText || !protocol::decodeTextPayload(record, &text)) continue;
            if (text == u"#RET_OK()") ++*verdicts;
            if (text.starts_with(u"#RET_ERR(")) refused_ = true;
        }
        buffer_.erase(0, size);
        return true;
    }

    platform::SocketHandle socket_ = platform::kInvalidSocket;
    std::string buffer_;
    bool refused_ = false;  // a request was answered "#RET_ERR(...)": the figures would not count
};

std::string textPacket(std::u16string_view text) {
    std::string body;
    protocol::appendRecord(body, protocol::kText, protocol::encodeTextPayload(text));
    return protocol::makePacket(body);
}

std::string thirteenCommands() {
    std::string body;
    auto command = [&](std::u16string_view name, std::u16string a0 = u"", std::u16string a1 = u"",
                       std::u16string a2 = u"") {
        const std::u16string args[4] = {std::move(a0), std::move(a1), std::move(a2), u""};
        protocol::appendRecord(body, protocol::kCommand, protocol::encodeCommandPayload(name, args));
    };
    for (int ch = 0; ch < 4; ++ch) command(u"CM_GET_CHANNEL_TYPE", std::u16string(1, static_cast<char16_t>(u'0' + ch)));
    command(u"CM_IS_FIND_PATH", u"one");
    command(u"CM_LOAD_MARKER", u"a.mp4");
    command(u"CM_LOAD_VR_FORMAT", u"a.mp4");
    command(u"CM_GET_MARKER_LIST", u"a.mp4", u"b.mp4");
    command(u"CM_WORDLIST_GETNUM");
    command(u"CM_WORDLIST_ISUPDATE");
    command(u"CM_WORDLIST_GETITEMN", u"0", u"10");
    command(u"CM_LIVE_TIME", u"0", u"30");
    command(u"CM_INI_READ_INT64", u"Bench", u"rw.rounds", u"200");
    return protocol::makePacket(body);
}

// Median and 90th percentile in microseconds; false when a round trip failed.
bool measure(Line& line, const Request& request, bool quickAck, int rounds, double* median, double* p90) {
    std::vector<double> micros;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!line.roundTrip(request, quickAck)) return false;
        micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(micros.begin(), micros.end());
    *median = micros[micros.size() / 2];
    *p90 = micros[micros.size() * 9 / 10];
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: round_trip_bench <port> [rounds]\n");
        return 2;
    }
    const auto port = static_cast<std::uint16_t>(std::atoi(argv[1]));
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 200;
    platform::socketsStartup();
    Line line(port);
    const Request login{"login", textPacket(client::ControlClient::setupMessage()), 1};
    if (!line.connected() || !line.roundTrip(login, false)) {
        std::fprintf(stderr, "cannot log in on port %u\n", port);
        return 3;
    }
    const Request requests[] = {
        {"#CMD_GET_CHANNEL, 1 file", textPacket(u"#CMD_GET_CHANNEL(<ch>0)"), 1},
        {"#CMD_GET_CHANNEL, 100 files", textPacket(u"#CMD_GET_CHANNEL(<ch>1)"), 1},
        {"13 CM_ commands in one packet", thirteenCommands(), 13},
    };
    std::printf("%-32s %12s %12s %18s %15s\n", "round trip (200 rounds)", "median us", "p90 us", "QUICKACK median",
                "QUICKACK p90");
    for (const Request& request : requests) {
        double median = 0, p90 = 0, floorMedian = 0, floorP90 = 0;
        if (!measure(line, request, false, rounds, &median, &p90) ||
            !measure(line, request, true, rounds, &floorMedian, &floorP90)) {
            std::fprintf(stderr, "%s failed\n", request.name);
            return 1;
        }
        std::printf("%-32s %12.0f %12.0f %18.0f %15.0f\n", request.name, median, p90, floorMedian, floorP90);
    }
    std::printf("targets: 1-file listing median <= 1000 us and p90 <= 2000 us; 13 commands within 2x the floor\n");
    platform::socketsCleanup();
    return 0;
}
