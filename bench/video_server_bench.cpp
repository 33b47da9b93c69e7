// SPDX-License-Identifier: MIT
// Runs the video server alone on loopback so that scripts can fetch files from it with curl.
// Every file with one of the given extensions is served to 127.0.0.1 as to an authenticated
// headset. Prints "port <n>" once listening and the slots' read modes when stopped.
// Usage: video_server_bench [port] [buffered|unbuffered] [extensions, e.g. "mp4 mkv"]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/extension_filter.h"
#include "http/video_server.h"
#include "platform/stop_signal.h"
#include "platform/utf.h"

namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;

class LoopbackGate final : public tvr::core::AccessGate {
public:
    explicit LoopbackGate(const std::string& extensions) { table_.build(tvr::platform::fromUtf8(extensions)); }
    bool isVideoAccepted(std::u16string_view path) const override { return table_.isAccepted(path); }
    bool isClientAuthenticated() const override { return true; }
    std::uint32_t clientAddress() const override { return kLoopback; }
    std::uint64_t currentLogin() const override { return 1; }
    void watchLogins(std::function<void()>) override {}

private:
    tvr::core::ExtensionTable table_;
};

const char* modeName(tvr::platform::ReadMode mode) {
    return mode == tvr::platform::ReadMode::Unbuffered ? "unbuffered" : "buffered";
}

}  // namespace

int main(int argc, char** argv) {
    auto port = static_cast<std::uint16_t>(argc > 1 ? std::atoi(argv[1]) : 0);
    bool unbuffered = argc > 2 && std::strcmp(argv[2], "unbuffered") == 0;
    LoopbackGate gate(argc > 3 ? argv[3] : "mp4 mkv");

    tvr::platform::installStopSignalHandler();
    tvr::http::VideoServer server;
    server.setReadMode(unbuffered ? tvr::platform::ReadMode::Unbuffered : tvr::platform::ReadMode::Buffered);
    if (!server.start(port, &gate, kLoopback)) {
        std::fprintf(stderr, "cannot listen on port %u\n", static_cast<unsigned>(port));
        return 3;
    }
    std::printf("port %u\n", static_cast<unsigned>(server.port()));
    std::fflush(stdout);
    while (!tvr::platform::waitForStopSignal(1000)) {
    }
    for (int slot = 0; slot < tvr::http::VideoServer::kSlotCount; ++slot) {
        if (server.slotHasOpenFile(slot))
            std::printf("slot %d read mode: %s\n", slot, modeName(server.slotReadMode(slot)));
    }
    server.close();
    return 0;
}
