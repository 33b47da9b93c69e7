// SPDX-License-Identifier: MIT
#pragma once
// The control server: one headset at a time on TCP, length-framed packets of records, every
// record answered by "#RET_OK()" or "#RET_ERR(...)" after whatever its handler queued. It owns
// the listening socket, the one connection (its receive side and framing here, its reply side in
// ClientLine) and the status board; what the handlers work on lives in the library state it is
// given. A pass goes one way: accept, receive one packet, answer its records into the line, and
// only then, in one place, close the connection when anything marked it for closing.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/access_gate.h"
#include "core/channel_saver.h"
#include "core/clock.h"
#include "core/command_queue.h"
#include "core/log.h"
#include "core/settings.h"
#include "core/worker_thread.h"
#include "library/library_state.h"
#include "platform/socket.h"
#include "protocol/client_line.h"
#include "protocol/handler_context.h"
#include "protocol/packet_reader.h"
#include "protocol/session.h"
#include "protocol/status_board.h"

namespace tvr::protocol {

class ControlServer final : public core::AccessGate {
public:
    /// Starts the worker thread at once; it idles until startListening. A channel saver, when
    /// given, writes each channel change before its OK.
    ControlServer(core::Clock& clock, core::CommandQueue* frontEnd, library::LibraryState& library,
                  core::ChannelSaver* channelSaver = nullptr);
    /// Stops the thread, then tears down.
    ~ControlServer() override;
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    /// Listens on the port (0: any free port) and applies the settings; false when it cannot listen.
    bool startListening(std::uint16_t port, const core::Config& config, std::uint32_t bindAddress = 0);
    /// Hands new settings to the control thread, which takes them before its next pass; never waits.
    /// headsetChannelChangesTaken: how many of the headset's channel changes (posted to the
    /// front-end, in order) the settings hold; the later ones stay over their channels.
    void applySettings(const core::Config& config, std::uint64_t headsetChannelChangesTaken);
    /// Copies and clears the status slot; never waits on the network.
    void takeStatus(StatusSlot* status) { status_.take(status); }
    /// Every status event since the last call, in order.
    std::vector<StatusSlot> takeEvents(std::size_t* dropped = nullptr) { return status_.takeEvents(dropped); }
    /// Every status event since the last call, and the requests refused and the notes meanwhile,
    /// in order.
    std::vector<StatusSlot> takeEvents(std::vector<Refusal>* refusals, std::vector<Note>* notes) {
        return status_.takeEvents(refusals, notes);
    }
    /// Fills the status slot and writes the EVENT line (code >= 0) when the log is open.
    void postStatus(std::int32_t code, std::u16string_view text1, std::u16string_view text2);
    /// Posts status 1 "接続待ち" unless a new client is already connected (its status 2 stays).
    void postWaitingIfIdle();
    /// Asks the worker to drop the client; a send in progress gives up within about 100 ms.
    void requestForceDisconnect();
    /// Stops serving: sends what is pending, drops the client ("Release()"), logs SHUTDOWN.
    void teardown();

    /// Why the log's last open or line write failed; kNone while every one succeeded.
    platform::WriteFault logFault() const { return log_.fault(); }
    bool isListening() const { return listening_.load(); }
    bool isConnected() const { return session_.connected.load(); }
    /// The bound control port (useful with port 0).
    std::uint16_t port() const { return port_; }

    // The video server's questions (any thread).
    bool isVideoAccepted(std::u16string_view path) const override { return library_.isVideoAccepted(path); }
    bool isClientAuthenticated() const override { return session_.authenticated.load(); }
    std::uint32_t clientAddress() const override { return session_.clientAddress.load(); }
    std::uint64_t currentLogin() const override { return session_.login.load(); }
    /// The current login and the address of its connection (login 0 while nobody is logged in).
    LoginPeer loginPeer() const { return session_.loginPeer(); }
    /// The last login that ended (0: none yet); its streams are to end with it.
    std::uint64_t endedLogin() const { return session_.endedLogin.load(); }
    void watchLogins(std::function<void()> onLogin) override;

private:
    std::int32_t loopPass();
    void applyNow(const core::Config& config);
    void applyPending();
    void poll();
    bool receive();
    void servePacket();
    bool answerGuarded(HandlerContext& handlers, const RecordView& record);
    void connectionSetup(platform::SocketHandle socket, const platform::Ipv4Endpoint& peer);
    void disconnect(std::u16string_view reason);
    std::u16string addressText() const;
    HandlerContext context();

    core::Clock& clock_;
    core::CommandQueue* frontEnd_;
    core::ChannelSaver* channelSaver_;
    library::LibraryState& library_;
    core::WorkerThread thread_;

    core::Config config_ = core::defaultConfig();  // the control thread's copy
    core::ChannelChangeLog channelChanges_;        // the headset's, posted to the front-end
    std::mutex pendingMutex_;                      // guards pendingConfig_, pendingChangesTaken_ and onLogin_
    std::optional<core::Config> pendingConfig_;
    std::uint64_t pendingChangesTaken_ = 0;
    std::function<void()> onLogin_;
    core::ServerLog log_;
    StatusBoard status_{log_};
    Session session_;
    std::uint32_t liveTimeoutMs_ = 120000;
    std::uint32_t lastActivity_ = 0;

    platform::SocketHandle listener_ = platform::kInvalidSocket;
    std::uint16_t port_ = 0;
    std::atomic<bool> listening_{false};
    std::atomic<bool> forceDisconnect_{false};
    PacketReader reader_;
    ClientLine line_{thread_, clock_, status_, forceDisconnect_};
    std::unique_ptr<search::SearchEngine> search_;  // created by the first search start
};

}  // namespace tvr::protocol
