// SPDX-License-Identifier: MIT
// Time from a range request on a new connection to the first response byte and to the first
// body byte, against several HTTP servers in turn, in an order that changes with every offset,
// so that load from elsewhere on the machine, and from each other, falls on all of them alike. With "cold", the file's
// cached pages are dropped before each request, so every seek reads from the disk. Prints one line per server with the
// medians. Usage: first_byte_bench <file> <warm|cold> <offsets file> <name>=<port>/<target>...
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/poll.h"
#include "platform/sequential_reader.h"
#include "platform/socket.h"
#include "platform/utf.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint32_t kLoopback = 0x7F000001;
constexpr int kTimeoutMs = 10000;

struct Server {
    std::string name;
    std::uint16_t port = 0;
    std::string target;
    std::vector<double> headMs;
    std::vector<double> bodyMs;
};

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One request; false when the server did not answer with a body byte in time.
bool measure(Server& server, long long offset) {
    std::string request = "GET /" + server.target +
                          " HTTP/1.1\r\nHost: 127.0.0.1\r\nRange: bytes=" + std::to_string(offset) + "-\r\n\r\n";
    Clock::time_point start = Clock::now();
    tvr::platform::SocketHandle socket = tvr::platform::tcpConnect({kLoopback, server.port}, kTimeoutMs);
    if (socket == tvr::platform::kInvalidSocket) return false;
    bool ok = tvr::platform::sendSome(socket, request.data(), request.size()).bytes == request.size();
    std::string received;
    double headMs = -1;
    char chunk[65536];
    while (ok) {
        tvr::platform::IoResult result = tvr::platform::recvSome(socket, chunk, sizeof chunk);
        if (result.status == tvr::platform::IoStatus::WouldBlock) {
            tvr::platform::PollItem item;
            item.socket = socket;
            item.wantRead = true;
            ok = tvr::platform::pollSockets(&item, 1, kTimeoutMs, nullptr) > 0;
            continue;
        }
        if (result.status != tvr::platform::IoStatus::Ok || result.bytes == 0) {
            ok = false;
            break;
        }
        if (headMs < 0) headMs = msSince(start);
        received.append(chunk, result.bytes);
        std::size_t end = received.find("\r\n\r\n");
        if (end != std::string::npos && received.size() > end + 4) {
            server.headMs.push_back(headMs);
            server.bodyMs.push_back(msSince(start));
            break;
        }
    }
    tvr::platform::closeSocket(socket);
    return ok;
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s <file> <warm|cold> <offsets file> <name>=<port>/<target>...\n", argv[0]);
        return 2;
    }
    std::u16string file = tvr::platform::fromUtf8(argv[1]);
    bool cold = std::strcmp(argv[2], "cold") == 0;
    std::vector<long long> offsets;
    std::ifstream list(argv[3]);
    for (long long offset; list >> offset;) offsets.push_back(offset);
    std::vector<Server> servers;
    for (int i = 4; i < argc; ++i) {
        std::string option = argv[i];
        std::size_t equals = option.find('=');
        std::size_t slash = option.find('/', equals);
        if (equals == std::string::npos || slash == std::string::npos) return 2;
        Server server;
        server.name = option.substr(0, equals);
        server.port = static_cast<std::uint16_t>(std::atoi(option.substr(equals + 1, slash - equals - 1).c_str()));
        server.target = option.substr(slash + 1);
        servers.push_back(server);
    }
    tvr::platform::socketsStartup();
    // The order turns with every offset and runs backwards every other one: a video server's
    // reader still fills its buffers for a moment after its request, and that load must fall on
    // every other server alike, not always on the one after it.
    for (std::size_t round = 0; round < offsets.size(); ++round) {
        const long long offset = offsets[round];
        for (std::size_t turn = 0; turn < servers.size(); ++turn) {
            std::size_t at = (round + turn) % servers.size();
            if (round % 2 == 1) at = servers.size() - 1 - at;
            Server& server = servers[at];
            if (cold && !tvr::platform::dropCachedPages(file)) {
                std::fprintf(stderr, "cannot drop the cached pages of %s\n", argv[1]);
                return 3;
            }
            if (!measure(server, offset)) {
                std::fprintf(stderr, "%s: no body byte for offset %lld\n", server.name.c_str(), offset);
                return 4;
            }
        }
    }
    for (const Server& server : servers) {
        std::printf("%s %.4f %.4f\n", server.name.c_str(), median(server.headMs), median(server.bodyMs));
    }
    tvr::platform::socketsCleanup();
    return 0;
}
