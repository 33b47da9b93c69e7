// SPDX-License-Identifier: MIT
// A headset that stops reading: logs in, asks for a channel listing many times over, reads the
// first reply packet and then nothing, so the server's sends block on full socket buffers.
// bench/desktop_window_bench.sh times the desktop window's messages behind it.
//
//   stalled_headset_bench PORT CHANNEL SECONDS
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "client/control_client.h"
#include "core/text.h"

int main(int argc, char** argv) {
    using namespace tvr;
    if (argc != 4) {
        std::fputs("usage: stalled_headset_bench PORT CHANNEL SECONDS\n", stderr);
        return 2;
    }
    client::ControlClient headset;
    client::Reply reply;
    if (!headset.connect("127.0.0.1", static_cast<std::uint16_t>(std::atoi(argv[1])), 5000) ||
        !headset.sendTexts({client::ControlClient::setupMessage()}) || !headset.receiveReply(&reply, 10000)) {
        std::fputs("stalled_headset_bench: no handshake\n", stderr);
        return 1;
    }
    std::u16string request = core::format(u"#CMD_GET_CHANNEL(<ch>%d)", {std::int64_t{std::atoi(argv[2])}});
    std::vector<client::Record> first;
    if (!headset.sendTexts(std::vector<std::u16string>(300, request)) || !headset.receivePacket(&first, 10000)) {
        std::fputs("stalled_headset_bench: no listing\n", stderr);
        return 1;
    }
    std::puts("stalled");
    std::fflush(stdout);
    // Holding the connection without reading is the point: the server's sends now wait.
    std::this_thread::sleep_for(std::chrono::seconds(std::atoi(argv[3])));
    return 0;
}
