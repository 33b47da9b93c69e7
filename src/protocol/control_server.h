// SPDX-License-Identifier: MIT
#pragma once
// The control server: one headset at a time on TCP, length-framed packets of records, every
// record answered by "#RET_OK()" or "#RET_ERR(...)" after whatever its handler queued.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/command_queue.h"
#include "core/extension_filter.h"
#include "core/log.h"
#include "core/reply_sink.h"
#include "core/settings.h"
#include "core/worker_thread.h"
#include "core/access_gate.h"
#include "library/channel_listing.h"
#include "library/list_file.h"
#include "platform/socket.h"
#include "protocol/send_buffer.h"
#include "protocol/wire.h"
#include "stores/marker_store.h"

namespace tvr::protocol {

/// The last event of the control server, read and cleared by the front-end.
struct StatusSlot {
    std::int32_t code = 0;
    std::u16string text1;
    std::u16string text2;
};

class ControlServer final : public core::ReplySink, public core::AccessGate {
public:
    /// Starts the worker thread at once; it idles until startListening.
    ControlServer(core::Clock& clock, core::CommandQueue* frontEnd);
    /// Stops the thread, then tears down.
    ~ControlServer() override;
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    /// Listens on the port (0: any free port) and applies the settings; false when it cannot listen.
    bool startListening(std::uint16_t port, const core::Config& config, std::uint32_t bindAddress = 0);
    /// Takes the settings the server works with; runs under the server's lock.
    void applySettings(const core::Config& config);
    /// Copies and clears the status slot without waiting for the lock; false when the lock is busy.
    bool takeStatus(StatusSlot* status);
    /// Fills the status slot and writes the EVENT line (code >= 0) when the log is open.
    void postStatus(std::int32_t code, std::u16string_view text1, std::u16string_view text2);
    /// Posts status 1 "接続待ち" unless a new client is already connected (its status 2 stays).
    void postWaitingIfIdle();
    /// Asks the worker to drop the client at its next pass.
    void requestForceDisconnect();
    /// Stops serving: sends what is pending, drops the client ("release()"), logs SHUTDOWN.
    void teardown();

    bool isListening() const { return listening_.load(); }
    bool isConnected() const { return connected_.load(); }
    /// The bound control port (useful with port 0).
    std::uint16_t port() const { return port_; }

    // The video server's questions (any thread).
    bool isVideoAccepted(std::u16string_view path) const override;
    bool isClientAuthenticated() const override { return authenticated_.load(); }
    std::uint32_t clientAddress() const override { return clientAddress_.load(); }

    // Replies queued by the handlers.
    void appendText(std::u16string_view message) override;
    void beginList() override { send_.beginList(); }
    void addListEntry(std::uint16_t value, std::u16string_view folder, std::u16string_view name) override {
        send_.addListEntry(value, folder, name);
    }
    void endList() override { send_.endList(); }

private:
    std::int32_t loopPass();
    void poll();
    bool receive();
    bool waitForPacket();
    void connectionSetup(platform::SocketHandle socket, const platform::Ipv4Endpoint& peer);
    void disconnect(std::u16string_view reason);
    void removePacket();
    bool nextRecord(RecordView* record);
    bool Transmit(const std::uint8_t* data, std::size_t size);
    void appendReply(bool success);
    std::u16string addressText() const;

    bool handleText(std::u16string_view text);
    bool commandSetup(std::u16string_view text);
    bool commandPassword(std::u16string_view text);
    bool commandGetChannel(std::u16string_view text);
    bool commandSaveChannel(std::u16string_view text);
    bool dispatchCommand(const RecordView& record);

    core::Clock& clock_;
    core::CommandQueue* frontEnd_;
    core::WorkerThread thread_;
    mutable std::recursive_mutex lock_;

    core::Config config_ = core::defaultConfig();
    core::ServerLog log_;
    stores::MarkerStore markers_;
    library::ListFile favoriteList_;
    library::ListFile searchList_;
    library::ChannelLister lister_;
    std::u16string vrFormatFolder_;
    mutable std::mutex extensionsMutex_;  // the video server reads the table on its own thread
    core::ExtensionTable extensions_;
    std::uint32_t liveTimeoutMs_ = 120000;
    std::uint32_t lastActivity_ = 0;
    bool suspended_ = false;
    bool suspendChanged_ = false;

    platform::SocketHandle listener_ = platform::kInvalidSocket;
    platform::SocketHandle client_ = platform::kInvalidSocket;
    std::uint16_t port_ = 0;
    std::atomic<std::uint32_t> clientAddress_{0};
    std::atomic<bool> authenticated_{false};
    std::atomic<bool> listening_{false};
    std::atomic<bool> connected_{false};
    std::atomic<bool> forceDisconnect_{false};
    StatusSlot status_;

    std::vector<std::uint8_t> receive_;  // allocated on first receive
    std::size_t received_ = 0;
    bool packetReady_ = false;
    std::size_t current_ = 0;    // offset of the record being handled
    std::size_t packetEnd_ = 0;  // offset just past the packet
    SendBuffer send_;
    std::uint32_t passwordLockout_ = 0;  // end of the lockout; it outlives connections
    bool lockoutActive_ = false;
};

}  // namespace tvr::protocol
