// SPDX-License-Identifier: MIT
// Drives a running server through a long session on loopback: connect / handshake / list /
// disconnect cycles, random range reads on both stream slots checked against the file, and
// malformed packets; prints the count of each and of the errors seen.
// Usage: soak_bench <control port> <http port> <video file> <channel> [cycles] [reads] [malformed]
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "client/control_client.h"
#include "client/http_fetch.h"
#include "platform/utf.h"
#include "protocol/wire.h"

namespace {

using tvr::client::ControlClient;
using tvr::client::Reply;

constexpr int kTimeoutMs = 5000;
constexpr std::size_t kReadBytes = 64 * 1024;

std::uint64_t fnv1a(std::string_view bytes) {
    std::uint64_t hash = 1469598103934665603ULL;
    for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ULL;
    return hash;
}

bool handshake(ControlClient& client, std::uint16_t port) {
    Reply reply;
    return client.connect("127.0.0.1", port, kTimeoutMs) && client.sendTexts({ControlClient::setupMessage()}) &&
           client.receiveReply(&reply, kTimeoutMs) && reply.ok;
}

int cycles(std::uint16_t port, int count, int channel) {
    const std::u16string list = u"#CMD_GET_CHANNEL(<ch>" + tvr::platform::fromAscii(std::to_string(channel)) + u")";
    int errors = 0;
    for (int i = 0; i < count; ++i) {
        ControlClient client;
        Reply reply;
        if (!handshake(client, port) || !client.sendTexts({list}) || !client.receiveReply(&reply, kTimeoutMs) ||
            !reply.ok || reply.entries().empty()) {
            if (++errors <= 5) std::fprintf(stderr, "cycle %d failed\n", i);
        }
    }
    return errors;
}

int rangeReads(std::uint16_t controlPort, std::uint16_t httpPort, const std::string& file, int count,
               std::mt19937_64& random) {
    std::ifstream in(file, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ControlClient hold;  // the video server serves only while a headset is authenticated
    if (content.empty() || !handshake(hold, controlPort)) return count;
    int errors = 0;
    for (int i = 0; i < count; ++i) {
        tvr::client::FetchRequest request;
        request.host = "127.0.0.1";
        request.port = httpPort;
        request.path = tvr::platform::fromUtf8(file);
        request.stream = i % 2;
        request.from = static_cast<std::int64_t>(random() % content.size());
        request.timeoutMs = kTimeoutMs;
        const std::size_t wanted = std::min(kReadBytes, content.size() - static_cast<std::size_t>(request.from));
        std::string body;
        auto sink = [&](std::string_view bytes) {
            body.append(bytes.substr(0, wanted - body.size()));
            return body.size() < wanted;
        };
        tvr::client::httpFetch(
            request, [](const auto&) { return true; }, sink);
        if (body.size() != wanted || fnv1a(body) != fnv1a(std::string_view(content).substr(request.from, wanted))) {
            if (++errors <= 5)
                std::fprintf(stderr, "range read %d from %lld: %zu bytes, hash differs\n", i,
                             static_cast<long long>(request.from), body.size());
        }
    }
    return errors;
}

// A packet broken in one of several ways, or plain noise.
std::string malformedPacket(std::mt19937_64& random) {
    using namespace tvr::protocol;
    std::string noise(random() % 64, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    std::string body;
    switch (random() % 6) {
        case 0:
            return "JUNK" + noise;
        case 1:  // a body length far past the buffer
            return "PACK\xff\xff\xff\x7f" + noise;
        case 2:  // a record longer than its packet
            appendRecord(body, kText, noise);
            body[4] = '\xff';
            return makePacket(body);
        case 3:  // a text without its terminating zero
            appendRecord(body, kText, std::string("A\0B\0", 4));
            return makePacket(body);
        case 4:  // a command record whose lengths do not fit
            appendRecord(body, kCommand, std::string("\xff\xff\x00\x00", 4) + noise);
            return makePacket(body);
        default:  // a header cut short
            return std::string("PACK\x10\x00", 6);
    }
}

int malformed(std::uint16_t port, int count, std::mt19937_64& random) {
    int errors = 0;
    ControlClient client;
    for (int i = 0; i < count; ++i) {
        if (!client.isConnected() && !client.connect("127.0.0.1", port, kTimeoutMs)) {
            ++errors;
            continue;
        }
        // The server may close on any of these; the next packet then starts a new connection.
        if (!client.sendRaw(malformedPacket(random))) client.close();
        if (i % 10 == 9) client.close();
    }
    client.close();
    // Whatever came before, the next headset is served.
    ControlClient after;
    if (!handshake(after, port)) {
        std::fprintf(stderr, "no handshake after the malformed packets\n");
        ++errors;
    }
    return errors;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: soak_bench <control port> <http port> <video file> <channel> [cycles] [reads] "
                     "[malformed]\n");
        return 2;
    }
    const auto controlPort = static_cast<std::uint16_t>(std::atoi(argv[1]));
    const auto httpPort = static_cast<std::uint16_t>(std::atoi(argv[2]));
    const std::string file = argv[3];
    const int channel = std::atoi(argv[4]);
    const int cycleCount = argc > 5 ? std::atoi(argv[5]) : 10000;
    const int readCount = argc > 6 ? std::atoi(argv[6]) : 1000;
    const int malformedCount = argc > 7 ? std::atoi(argv[7]) : 1000;
    std::mt19937_64 random(20260517);

    const int cycleErrors = cycles(controlPort, cycleCount, channel);
    std::printf("connect/handshake/list/disconnect cycles: %d, errors %d\n", cycleCount, cycleErrors);
    const int readErrors = rangeReads(controlPort, httpPort, file, readCount, random);
    std::printf("range reads on both slots checked by hash: %d, errors %d\n", readCount, readErrors);
    const int malformedErrors = malformed(controlPort, malformedCount, random);
    std::printf("malformed packets: %d, errors %d\n", malformedCount, malformedErrors);
    const int errors = cycleErrors + readErrors + malformedErrors;
    std::printf("errors: %d\n", errors);
    return errors == 0 ? 0 : 1;
}
