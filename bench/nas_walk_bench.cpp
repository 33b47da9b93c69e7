// SPDX-License-Identifier: MIT
// Walks of a library on a network share (bench/nas_walk.sh mounts a tree through a file system
// that waits before each metadata request), over a real connection to the server executable: the
// playlist listing in name order and in date order, CM_SEARCH_FILE and CM_FIND_FILE of a name
// nowhere, each beside the `fdfind -j8` walk that does the same work on the same mount in the
// same run, printed as a ratio against its budget. A walk's time runs from the request to the
// last record of its answer (a search's: until it reports finished). The server's peak memory
// (VmHWM, reset before each run) and its most threads seen during the walks are printed too.
//
// Usage: nas_walk_bench <tamvikvr-server> <install folder> <tree> [runs]
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "client/control_client.h"
#include "core/text.h"
#include "platform/socket.h"
#include "platform/utf.h"
#include "protocol/wire.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

extern char** environ;

namespace {

constexpr int kReplyTimeoutMs = 600000;
constexpr char kNowhere[] = "nowhere-at-all";

pid_t serverPid = 0;  // stopped when the bench fails

[[noreturn]] void fail(const char* why) {
    std::fprintf(stderr, "nas_walk_bench: %s\n", why);
    if (serverPid > 0) ::kill(serverPid, SIGTERM);
    std::exit(1);
}

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

long statusField(pid_t pid, const char* field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field)) return std::atol(line.c_str() + std::char_traits<char>::length(field));
    }
    return -1;
}

// The server executable in a folder of its own, channel 2 a playlist of the tree, the search
// folder list the tree; and a headset connected to it, which stays silent while fdfind runs.
class Server {
public:
    Server(const fs::path& binary, const fs::path& install, const fs::path& tree) {
        fs::create_directories(install);
        fs::copy_file(binary, install / "tamvikvr-server", fs::copy_options::overwrite_existing);
        const std::uint16_t port = freePort();
        std::ofstream(install / "TamvikVRServer.ini")
            << "[Config]\r\niPortServer=" << port << "\r\niPortHttp=" << freePort() << "\r\niLiveTimeOutSec=3600\r\n";
        std::ofstream(install / "ch3.vrl") << tree.string() << "\n";
        std::ofstream(install / "SearchFolder1.vrl") << tree.string() << "\n";
        const std::string exe = (install / "tamvikvr-server").string();
        const std::string log = (install / "console.txt").string();
        char* argv[] = {const_cast<char*>(exe.c_str()), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const bool spawned = posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv, environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        if (!spawned) fail("the server did not start");
        serverPid = pid_;
        for (int i = 0; i < 200 && !client_.connect("127.0.0.1", port, 100); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        tvr::client::Reply reply;
        if (!client_.sendTexts({tvr::client::ControlClient::setupMessage()}) || !client_.receiveReply(&reply, 5000)) {
            fail("no handshake");
        }
    }
    ~Server() {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // The playlist listing (0 by name, 1 by date and time); files gets how many files it sent.
    double list(int sortName, std::size_t* files) {
        tvr::client::Reply reply;
        const std::u16string request = tvr::core::format(u"#CMD_GET_CHANNEL(<ch>2,<sort_name>%d)", {sortName});
        const auto start = Clock::now();
        if (!client_.sendTexts({request}) || !client_.receiveReply(&reply, kReplyTimeoutMs) || !reply.ok) {
            fail("the listing failed");
        }
        const double took = ms(Clock::now() - start);
        *files = 0;
        for (const auto& record : reply.records) *files += record.entries.size();
        return took;
    }
    // One search command, polled as the headset polls it: the time until it reported finished.
    double search(std::u16string_view name, std::u16string argument) {
        const auto start = Clock::now();
        if (!command(name, std::move(argument)).ok) fail("a search did not start");
        while (value(command(u"CM_SEARCH_ISFINISHED")) != 1) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return ms(Clock::now() - start);
    }
    pid_t pid() const { return pid_; }

private:
    static std::uint16_t freePort() {
        const tvr::platform::SocketHandle probe = tvr::platform::tcpListen({0x7F000001, 0}, 1);
        const std::uint16_t port = tvr::platform::localEndpoint(probe).port;
        tvr::platform::closeSocket(probe);
        return port;
    }
    tvr::client::Reply command(std::u16string_view name, std::u16string a0 = u"") {
        const std::u16string args[4] = {std::move(a0), u"", u"", u""};
        tvr::client::Reply reply;
        if (!client_.sendCommand(name, args) || !client_.receiveReply(&reply, kReplyTimeoutMs)) fail("no reply");
        return reply;
    }
    static std::int32_t value(const tvr::client::Reply& reply) {
        for (const auto& record : reply.records)
            if (record.type == tvr::protocol::kResult) return record.result.value;
        return -1;
    }

    pid_t pid_ = 0;
    tvr::client::ControlClient client_;
};

// The server's peak memory and most threads while walks run.
struct Watch {
    long peakKib = 0;
    long mostThreads = 0;
};

// One walk of ours, runs times after a warm-up run (which starts the share's own caches as a
// user's first walk would), its median in ms; the watch gets the server's peaks meanwhile.
double ours(Server& server, int runs, Watch* watch, const std::function<double()>& walk) {
    walk();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        std::ofstream("/proc/" + std::to_string(server.pid()) + "/clear_refs") << "5\n";
        std::atomic<bool> done{false};
        std::thread sampler([&] {
            while (!done.load()) {
                watch->mostThreads = std::max(watch->mostThreads, statusField(server.pid(), "Threads:"));
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
        times.push_back(walk());
        done = true;
        sampler.join();
        watch->peakKib = std::max(watch->peakKib, statusField(server.pid(), "VmHWM:"));
    }
    return median(times);
}

// A shell command's median time in ms over runs, after a warm-up run; its output is discarded.
double theirs(const std::string& shell, int runs) {
    std::vector<double> times;
    for (int i = 0; i <= runs; ++i) {
        const auto start = Clock::now();
        if (std::system((shell + " >/dev/null").c_str()) != 0) fail(("failed: " + shell).c_str());
        if (i > 0) times.push_back(ms(Clock::now() - start));
    }
    return median(times);
}

void row(const char* what, double ourMs, const char* reference, double theirMs, double budget) {
    const double ratio = ourMs / theirMs;
    std::printf("  %-34s %8.0f ms   %-46s %8.0f ms   %.2fx (budget %.1fx) %s\n", what, ourMs, reference, theirMs, ratio,
                budget, ratio <= budget ? "ok" : "OVER");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: nas_walk_bench <tamvikvr-server> <install folder> <tree> [runs]\n");
        return 2;
    }
    const fs::path tree = fs::absolute(argv[3]);
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 3;
    const std::string quoted = "'" + tree.string() + "'";
    Server server(argv[1], fs::absolute(argv[2]), tree);
    Watch watch;
    std::size_t byName = 0;
    std::size_t byDate = 0;
    const double listByName = ours(server, runs, &watch, [&] { return server.list(0, &byName); });
    const double fdFiles = theirs("fdfind -j8 -t f . " + quoted, runs);
    const double listByDate = ours(server, runs, &watch, [&] { return server.list(1, &byDate); });
    const double fdTimes = theirs("fdfind -j8 --changed-within 100y . " + quoted, runs);
    const std::u16string nowhere = tvr::platform::fromUtf8(kNowhere);
    const double search = ours(server, runs, &watch, [&] { return server.search(u"CM_SEARCH_FILE", nowhere); });
    const double find =
        ours(server, runs, &watch, [&] { return server.search(u"CM_FIND_FILE", u"/moved/" + nowhere + u".mp4"); });
    const double fdGlob = theirs("fdfind -j8 -g '*" + std::string(kNowhere) + "*' " + quoted, runs);

    std::printf("%s: %zu files by name, %zu by date; median of %d runs after one warm-up\n", tree.c_str(), byName,
                byDate, runs);
    row("listing by name", listByName, "fdfind -j8 -t f", fdFiles, 1.2);
    row("listing by date", listByDate, "fdfind -j8 --changed-within 100y", fdTimes, 0.8);
    row("CM_SEARCH_FILE, a name nowhere", search, "fdfind -j8 -g '*name*'", fdGlob, 1.2);
    row("CM_FIND_FILE, a name nowhere", find, "fdfind -j8 -g '*name*'", fdGlob, 1.2);
    std::printf("  server peak %.1f MiB (budget below 32 MiB at 100,000 files), most threads %ld\n",
                static_cast<double>(watch.peakKib) / 1024.0, watch.mostThreads);
    return 0;
}
