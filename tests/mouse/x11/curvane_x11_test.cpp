// SPDX-License-Identifier: MIT
// The relay with the real Curvane library on an X display (a virtual one under xvfb-run),
// driven by xdotool as another X client: relative moves, buttons and the wheel reach the
// datagrams, the pointer other clients see stays put while captured and moves again after.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>

#include "mouse/curvane_library.h"
#include "mouse/mouse_relay.h"
#include "platform/system_paths.h"
#include "platform/utf.h"
#include "support/udp_receiver.h"

namespace tvr::test {
namespace {

struct Point {
    int x = -1;
    int y = -1;
    bool operator==(const Point&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Point& point) { return out << point.x << "," << point.y; }
};

// Runs an xdotool command line; its output.
std::string xdotool(const std::string& arguments) {
    std::string output;
    if (std::FILE* pipe = ::popen(("xdotool " + arguments + " 2>&1").c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
        ::pclose(pipe);
    }
    return output;
}

Point pointer() {
    Point point;
    std::sscanf(xdotool("getmouselocation").c_str(), "x:%d y:%d", &point.x, &point.y);
    return point;
}

struct Sums {
    int px = 0;
    int py = 0;
    int pw = 0;
    int bt1 = 0;
    int bt2 = 0;
    int bt3 = 0;
};

std::optional<Sums> parse(const std::string& datagram) {
    Sums sums;
    int ct = 0;
    int bt4 = 0;
    int bt5 = 0;
    if (std::sscanf(datagram.c_str(), "#MOUSE(ct=%d,px=%d,py=%d,pw=%d,bt1=%d,bt2=%d,bt3=%d,bt4=%d,bt5=%d)*", &ct,
                    &sums.px, &sums.py, &sums.pw, &sums.bt1, &sums.bt2, &sums.bt3, &bt4, &bt5) != 9) {
        return std::nullopt;
    }
    return sums;
}

class CurvaneX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0')
            GTEST_SKIP() << "no X display: scripts/test.sh runs this under xvfb-run";
        if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
        std::u16string program = platform::executablePath();
        ASSERT_TRUE(library.load({program.substr(0, program.find_last_of(u'/'))}))
            << platform::toUtf8(library.problem());
    }
    /// Datagrams until one satisfies the condition (the relay sends one every 17 ms).
    std::optional<Sums> waitFor(bool (*condition)(const Sums&)) {
        for (int i = 0; i < 300; ++i) {
            auto datagram = receiver.next();
            if (!datagram) return std::nullopt;
            auto sums = parse(*datagram);
            last = *datagram;
            if (sums && condition(*sums)) return sums;
        }
        return std::nullopt;
    }

    std::string last;  // the last datagram seen, for failure messages
    mouse::CurvaneLibrary library;
    core::CommandQueue commands;
    UdpReceiver receiver;
};

TEST_F(CurvaneX11Test, MovesButtonsAndWheelAreRelayedWhileThePointerStaysPut) {
    xdotool("mousemove 400 300");
    const Point before = pointer();
    ASSERT_EQ(before, (Point{400, 300}));
    mouse::MouseRelay relay(library, core::SystemClock::instance(), &commands);
    ASSERT_TRUE(relay.start(u"127.0.0.1", receiver.port())) << platform::toUtf8(relay.problem());

    xdotool("mousemove_relative -- 10 0");
    xdotool("mousemove_relative -- 10 5");
    xdotool("mousemove_relative -- -3 0");
    auto moved = waitFor([](const Sums& s) { return s.px == 17 && s.py == 5; });
    ASSERT_TRUE(moved.has_value()) << "the relative moves did not sum to 17, 5: " << last;
    EXPECT_EQ(pointer(), before) << "the pointer moved on the desktop while captured";

    xdotool("mousedown 1");
    EXPECT_TRUE(waitFor([](const Sums& s) { return s.bt1 == 1 && s.bt2 == 0; }));
    xdotool("mousedown 3");
    EXPECT_TRUE(waitFor([](const Sums& s) { return s.bt1 == 1 && s.bt2 == 1; })) << "the right button is button 2";
    xdotool("mouseup 1");
    xdotool("mouseup 3");
    xdotool("click 2");  // shorter than a poll, still shown once
    EXPECT_TRUE(waitFor([](const Sums& s) { return s.bt3 == 1; }));
    xdotool("click 4");
    xdotool("click 4");
    xdotool("click 5");
    EXPECT_TRUE(waitFor([](const Sums& s) { return s.pw == 120 && s.bt1 == 0 && s.bt2 == 0; }));
    EXPECT_EQ(pointer(), before);

    relay.stop();
    xdotool("mousemove_relative -- 10 0");
    EXPECT_EQ(pointer(), (Point{410, 300})) << "the pointer works again after the stop";
}

TEST_F(CurvaneX11Test, CtrlShiftAltDGivesThePointerBack) {
    xdotool("mousemove 200 200");
    mouse::MouseRelay relay(library, core::SystemClock::instance(), &commands);
    ASSERT_TRUE(relay.start(u"127.0.0.1", receiver.port())) << platform::toUtf8(relay.problem());
    ASSERT_TRUE(receiver.next().has_value());
    xdotool("key ctrl+shift+alt+d");
    for (int i = 0; i < 300 && relay.isCapturing(); ++i) receiver.next(100);
    EXPECT_FALSE(relay.isCapturing());
    EXPECT_TRUE(relay.isActive());
    xdotool("mousemove_relative -- 5 5");
    EXPECT_EQ(pointer(), (Point{205, 205}));
    EXPECT_TRUE(relay.resume());
    EXPECT_TRUE(relay.isCapturing());
}

TEST_F(CurvaneX11Test, PointerHeldByAnotherProgramOrNoDisplayLeavesTheRelayOffAndSaysWhy) {
    mouse::MouseRelay holder(library, core::SystemClock::instance(), &commands);
    ASSERT_TRUE(holder.start(u"127.0.0.1", receiver.port()));
    mouse::MouseRelay relay(library, core::SystemClock::instance(), &commands);
    EXPECT_FALSE(relay.start(u"127.0.0.1", receiver.port()));
    EXPECT_FALSE(relay.isActive());
    EXPECT_EQ(platform::toUtf8(relay.problem()),
              "another program holds the mouse pointer (the pointer grab was refused)");
    holder.stop();
    EXPECT_TRUE(relay.start(u"127.0.0.1", receiver.port())) << "the grab is free again after the stop";
    relay.stop();

    std::string display = std::getenv("DISPLAY");
    ::unsetenv("DISPLAY");
    EXPECT_FALSE(relay.start(u"127.0.0.1", receiver.port()));
    ::setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(platform::toUtf8(relay.problem()),
              "there is no display to capture the mouse from (DISPLAY is not set or cannot be reached)");
}

}  // namespace
}  // namespace tvr::test
