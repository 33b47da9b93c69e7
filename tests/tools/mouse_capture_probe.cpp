// SPDX-License-Identifier: MIT
// Relays the real mouse capture to itself on loopback and reports, line by line, when the moves
// and buttons that tests/mouse/curvane_wine_test.sh makes with xdotool have arrived: first
// "capturing", then "moved 17 5", "button 1" and "wheel 120", then "all seen", and "given back"
// once Ctrl+Shift+Alt+D has ended the capture. Gives up after 30 s with the last datagram.
#include <chrono>
#include <cstdio>
#include <string>

#include "core/clock.h"
#include "core/command_queue.h"
#include "mouse/curvane_library.h"
#include "mouse/mouse_relay.h"
#include "platform/system_paths.h"
#include "platform/utf.h"
#include "support/udp_receiver.h"

int main() {
    using namespace tvr;
    mouse::CurvaneLibrary library;
    std::u16string program = platform::executablePath();
    if (!library.load({program.substr(0, program.find_last_of(u"/\\"))})) {
        std::printf("cannot load: %s\n", platform::toUtf8(library.problem()).c_str());
        return 2;
    }
    test::UdpReceiver receiver;
    core::CommandQueue commands;
    mouse::MouseRelay relay(library, core::SystemClock::instance(), &commands);
    if (!relay.start(u"127.0.0.1", receiver.port())) {
        std::printf("cannot capture: %s\n", platform::toUtf8(relay.problem()).c_str());
        return 2;
    }
    std::printf("capturing\n");
    std::fflush(stdout);
    const char* milestones[] = {"moved 17 5", "button 1", "wheel 120"};
    std::size_t reached = 0;
    std::string last;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (reached < std::size(milestones) && std::chrono::steady_clock::now() < deadline) {
        auto datagram = receiver.next(1000);
        if (!datagram) continue;
        last = *datagram;
        int ct = 0, px = 0, py = 0, pw = 0, bt1 = 0;
        if (std::sscanf(last.c_str(), "#MOUSE(ct=%d,px=%d,py=%d,pw=%d,bt1=%d", &ct, &px, &py, &pw, &bt1) != 5) continue;
        bool seen = (reached == 0 && px == 17 && py == 5) || (reached == 1 && bt1 == 1) || (reached == 2 && pw == 120);
        if (!seen) continue;
        std::printf("%s\n", milestones[reached++]);
        std::fflush(stdout);
    }
    if (reached < std::size(milestones)) {
        std::printf("gave up; last datagram %s\n", last.c_str());
        return 1;
    }
    std::printf("all seen\n");
    std::fflush(stdout);
    while (relay.isCapturing() && std::chrono::steady_clock::now() < deadline) receiver.next(100);
    if (relay.isCapturing()) {
        std::printf("gave up waiting for Ctrl+Shift+Alt+D\n");
        return 1;
    }
    std::printf("given back\n");
    return 0;
}
