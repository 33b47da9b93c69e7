// SPDX-License-Identifier: MIT
// The X server ending while the relay captures from it, with the whole controller, the real
// Curvane library and a headset client: the server and the headset's session run on, the relay
// goes off with one line, and the next login relays from the X server that came back.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "client/control_client.h"
#include "core/clock.h"
#include "core/paths.h"
#include "core/text.h"
#include "mouse/curvane_library.h"
#include "platform/ini_file.h"
#include "platform/utf.h"
#include "support/data_folder_scope.h"
#include "support/temp_folder.h"
#include "support/udp_receiver.h"
#include "ui/controller.h"

namespace tvr::test {
namespace {

// An Xvfb of the test's own, which it may end and start again under the same number.
class PrivateXServer {
public:
    ~PrivateXServer() { stop(); }

    /// Starts the server (any free display number the first time) and waits until it is ready.
    bool start() {
        int ready[2];
        if (::pipe(ready) != 0) return false;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(ready[1], 3);
            std::string display = number_ < 0 ? std::string() : ":" + std::to_string(number_);
            const char* argv[] = {"Xvfb",      "-displayfd", "3",
                                  "-nolisten", "tcp",        "-screen",
                                  "0",         "640x480x24", display.empty() ? nullptr : display.c_str(),
                                  nullptr};
            ::execvp("Xvfb", const_cast<char* const*>(argv));
            ::_exit(127);
        }
        ::close(ready[1]);
        // Xvfb writes its display number once it accepts clients; nothing when it fails.
        char buffer[16] = {};
        ssize_t got = ::read(ready[0], buffer, sizeof buffer - 1);
        ::close(ready[0]);
        if (pid_ < 0 || got <= 0) return false;
        number_ = std::atoi(buffer);
        return true;
    }
    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    std::string display() const { return ":" + std::to_string(number_); }

private:
    pid_t pid_ = -1;
    int number_ = -1;
};

struct ProblemView final : ui::StatusView {
    std::vector<std::u16string> problems;
    void showStatus(const platform::LocalTime&, std::int32_t, std::u16string_view, std::u16string_view) override {}
    void showProblem(std::u16string_view text) override { problems.emplace_back(text); }
};

class DisplayLostTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v Xvfb >/dev/null 2>&1") != 0) GTEST_SKIP() << "Xvfb is not installed";
        if (const char* display = std::getenv("DISPLAY")) outerDisplay = display;
        ASSERT_TRUE(library.load({core::programFolder()})) << platform::toUtf8(library.problem());
        ASSERT_TRUE(x.start());
        ::setenv("DISPLAY", x.display().c_str(), 1);
        dataFolder.set(folder.path16());
    }
    void TearDown() override {
        controller.reset();
        if (outerDisplay.empty()) {
            ::unsetenv("DISPLAY");
        } else {
            ::setenv("DISPLAY", outerDisplay.c_str(), 1);
        }
    }
    bool tickUntil(const std::function<bool()>& condition) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            controller->tick();
            if (condition()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    bool login() {
        client::Reply reply;
        return client.connect("127.0.0.1", controller->controlServer()->port(), 2000) &&
               client.sendTexts({client::ControlClient::setupMessage()}) && client.receiveReply(&reply, 5000) &&
               reply.ok;
    }

    std::string outerDisplay;
    PrivateXServer x;
    TempFolder folder;
    DataFolderScope dataFolder;
    mouse::CurvaneLibrary library;
    ProblemView view;
    core::ManualClock clock;
    UdpReceiver receiver;
    std::unique_ptr<ui::Controller> controller;
    client::ControlClient client;
};

TEST_F(DisplayLostTest, TheRelayGoesOffWithOneLineAndTheNextLoginTriesAgain) {
    std::u16string ini = folder.file16("TamvikVRServer.ini");
    ASSERT_TRUE(platform::iniWriteString(ini, u"Config", u"iUseMouse", u"1"));
    ASSERT_TRUE(platform::iniWriteString(ini, u"Config", u"iPortMouse", core::format(u"%d", {receiver.port()})));
    controller = std::make_unique<ui::Controller>(ini, view, ui::ControllerOptions{&clock, true, 0x7F000001, &library});
    ASSERT_TRUE(controller->start());
    mouse::MouseRelay& relay = *controller->mouseRelay();
    ASSERT_TRUE(login());
    ASSERT_TRUE(tickUntil([&] { return relay.isActive(); })) << platform::toUtf8(relay.problem());
    ASSERT_TRUE(receiver.next().has_value());

    x.stop();
    ASSERT_TRUE(tickUntil([&] { return !relay.isActive() && !view.problems.empty(); }));
    EXPECT_EQ(view.problems,
              (std::vector<std::u16string>{
                  u"mouse relay off: the display went away (the X server ended); the next login tries again"}));
    std::u16string args[4] = {u"0", u"1", u"", u""};
    client::Reply reply;
    ASSERT_TRUE(client.sendCommand(u"CM_LIVE_TIME", args) && client.receiveReply(&reply, 5000));
    EXPECT_TRUE(reply.ok) << "the headset's session runs on";
    EXPECT_TRUE(controller->controlServer()->isConnected());

    client.close();
    ASSERT_TRUE(tickUntil([&] { return !controller->controlServer()->isConnected(); }));
    while (receiver.next(0)) {
    }
    ASSERT_TRUE(x.start()) << "the same display number again";
    ASSERT_TRUE(login());
    ASSERT_TRUE(tickUntil([&] { return relay.isActive(); })) << platform::toUtf8(relay.problem());
    auto first = receiver.next();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->rfind("#MOUSE(ct=0,", 0), 0u) << *first;
    EXPECT_EQ(view.problems.size(), 1u);
}

}  // namespace
}  // namespace tvr::test
