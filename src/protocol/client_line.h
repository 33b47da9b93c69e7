// SPDX-License-Identifier: MIT
#pragma once
// The headset's connection as the handlers answer it: every reply (text, list and result
// records alike) goes into the send buffer through this sink, and whole packets leave on the
// socket, those of one request together. Nagle's algorithm is off: the last packet of an answer
// must not wait for the headset's delayed acknowledgement. A send that fails never ends the connection under a handler:
// it marks the line for closing, every later send gives up at once, and the server closes the line after the packet.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/clock.h"
#include "core/worker_thread.h"
#include "platform/socket.h"
#include "protocol/reply_sink.h"
#include "protocol/send_buffer.h"
#include "protocol/status_board.h"

namespace tvr::protocol {

class ClientLine final : public ReplySink {
public:
    /// Whole replies must leave within this time, or the headset is dropped.
    static constexpr std::uint32_t kSendTimeoutMs = 5000;

    /// The thread is the one that sends: its waits end early on a stop. A forced disconnect
    /// ends a send at once.
    ClientLine(core::WorkerThread& thread, core::Clock& clock, StatusBoard& status,
               const std::atomic<bool>& forceDisconnect);

    /// Takes a new connection's socket and makes it send each write at once; nothing queued or
    /// marked for the last one stays.
    void open(platform::SocketHandle socket);
    /// Hands the socket back for closing (kInvalidSocket when none) and forgets what is queued.
    platform::SocketHandle release();
    platform::SocketHandle socket() const { return socket_; }
    bool isOpen() const { return socket_ != platform::kInvalidSocket; }

    /// Marks the line to be closed after the packet being served; the first reason stays.
    void closeAfterPacket(std::u16string reason);
    /// Why the line is to be closed; nothing while it stays open.
    const std::optional<std::u16string>& closing() const { return closing_; }
    /// The reason the line is to be closed, taken out of the line; nothing while it stays open.
    std::optional<std::u16string> takeClosing();
    /// Ends the packet being filled; it leaves with the next send.
    void endPacket() { send_.endPacket(); }
    /// Sends every ended packet, in one write where the socket takes it; the packet being filled
    /// stays. False when they could not leave.
    bool send() { return send_.send(); }
    /// The clock's time of the last packet sent since the last call; nothing when none left.
    std::optional<std::uint32_t> takeLastSend();

    void appendText(std::u16string_view message) override;
    void appendResult(std::int32_t index, std::int32_t value, std::u16string_view text) override;
    void beginList() override { send_.beginList(); }
    void addListEntry(std::uint16_t value, std::u16string_view folder, std::u16string_view name) override {
        send_.addListEntry(value, folder, name);
    }
    void endList() override { send_.endList(); }
    /// True once a stop or a forced disconnect is asked for, the line is to close, or the headset has left.
    bool abandoned() override;

private:
    bool transmit(const std::uint8_t* data, std::size_t size);

    core::WorkerThread& thread_;
    core::Clock& clock_;
    StatusBoard& status_;
    const std::atomic<bool>& forceDisconnect_;
    platform::SocketHandle socket_ = platform::kInvalidSocket;
    std::optional<std::u16string> closing_;
    std::optional<std::uint32_t> lastSend_;
    bool abandoned_ = false;           // set by abandoned() until the next connection
    std::uint32_t lastPeerProbe_ = 0;  // monotonic ms of abandoned()'s last look at the socket
    SendBuffer send_;
};

}  // namespace tvr::protocol
