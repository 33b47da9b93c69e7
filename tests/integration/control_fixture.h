// SPDX-License-Identifier: MIT
#pragma once
// A real control server on 127.0.0.1 with a free port, an injected clock and a temporary
// executable folder, plus a connected test client.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "client/control_client.h"
#include "core/paths.h"
#include "core/settings.h"
#include "protocol/control_server.h"
#include "support/data_folder_scope.h"
#include "support/temp_folder.h"

namespace tvr::test {

inline constexpr std::uint32_t kLoopback = 0x7F000001;
// Generous, since a ready reply arrives at once: under Wine, sorting thousands of long names
// with StrCmpLogicalW alone takes seconds.
inline constexpr int kReplyTimeoutMs = 30000;

class ControlServerTest : public ::testing::Test {
protected:
    test::DataFolderScope dataFolder_;  // first made, last gone
    void SetUp() override {
        dataFolder_.set(folder.path16());
        config = core::defaultConfig();
    }
    void TearDown() override { server.reset(); }

    /// Starts the server with the current config and connects the client.
    void startAndConnect() {
        startServer();
        ASSERT_TRUE(client.connect("127.0.0.1", server->port(), 2000));
    }
    void startServer() {
        server = std::make_unique<protocol::ControlServer>(clock, &commands, library);
        ASSERT_TRUE(server->startListening(0, config, kLoopback));
    }
    /// Sends texts in one packet and reads the whole reply.
    client::Reply request(const std::vector<std::u16string>& texts) {
        client::Reply reply;
        EXPECT_TRUE(client.sendTexts(texts));
        EXPECT_TRUE(client.receiveReply(&reply, kReplyTimeoutMs));
        return reply;
    }
    client::Reply handshake() { return request({client::ControlClient::setupMessage()}); }
    /// Waits until the control thread has read the clock twice more, so that a whole pass has
    /// measured the time-out against the clock as it is now.
    void waitForAPass() {
        const std::uint64_t start = clock.reads();
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (clock.reads() < start + 2) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the control thread never ran";
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    /// Waits until the status slot shows the code; returns the slot.
    protocol::StatusSlot waitStatus(std::int32_t code) { return waitStatusWithin(code, 5); }
    /// Waits up to seconds until an event with the code has been posted; returns that event.
    protocol::StatusSlot waitStatusWithin(std::int32_t code, int seconds) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        protocol::StatusSlot status;
        while (std::chrono::steady_clock::now() < deadline) {
            server->takeStatus(&status);
            for (const auto& event : server->takeEvents()) {
                if (event.code == code) return event;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ADD_FAILURE() << "status " << code << " never came";
        return {};
    }

    TempFolder folder;
    core::ManualClock clock;
    core::CommandQueue commands;
    core::Config config;
    library::LibraryState library;
    std::unique_ptr<protocol::ControlServer> server;
    client::ControlClient client;
};

}  // namespace tvr::test
