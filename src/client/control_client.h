// SPDX-License-Identifier: MIT
#pragma once
// The headset's side of the control protocol: connect, send text and command records, read
// packets and whole replies. Used by tamvikvr-client and by the tests.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/socket.h"
#include "protocol/packet_reader.h"
#include "protocol/wire.h"

namespace tvr::client {

/// One decoded record of a received packet.
struct Record {
    protocol::FourCC type = 0;
    std::u16string text;                       // "STRG"
    std::vector<protocol::ListEntry> entries;  // "RTFL"
    protocol::ResultEntry result;              // "RTMS"
};

/// Everything the server sent for one request, up to and including "#RET_OK()" or "#RET_ERR(...)".
struct Reply {
    std::vector<Record> records;
    std::size_t packets = 0;
    bool ok = false;
    std::u16string final;  // the closing text record

    /// Texts of the text records in order.
    std::vector<std::u16string> texts() const;
    /// Every list entry of every list record in order.
    std::vector<protocol::ListEntry> entries() const;
};

class ControlClient {
public:
    ControlClient() = default;
    ~ControlClient();
    ControlClient(const ControlClient&) = delete;
    ControlClient& operator=(const ControlClient&) = delete;

    /// Connects to the server; bindLocal picks the local address (tests use 127.0.0.2).
    bool connect(const std::string& host, std::uint16_t port, int timeoutMs,
                 const platform::Ipv4Endpoint* bindLocal = nullptr);
    void close();
    bool isConnected() const { return socket_ != platform::kInvalidSocket; }
    /// Sends bytes as they are.
    bool sendRaw(std::string_view bytes);
    /// Sends one packet holding a text record per message.
    bool sendTexts(const std::vector<std::u16string>& messages);
    /// Sends one packet holding one command record.
    bool sendCommand(std::u16string_view name, const std::u16string (&args)[4]);
    /// Reads one whole packet; false on time-out, a closed connection or a malformed packet.
    bool receivePacket(std::vector<Record>* records, int timeoutMs);
    /// Reads packets until a "#RET_OK()" or "#RET_ERR" text record arrives.
    bool receiveReply(Reply* reply, int timeoutMs);
    /// True when the server closes the connection within timeoutMs.
    bool waitClosed(int timeoutMs);
    /// The "#CMD_SETUP" request with the given version and identity text.
    static std::u16string setupMessage(std::int32_t version, std::u16string_view copyright);
    /// The handshake message with this client's own version and identity.
    static std::u16string setupMessage();

private:
    bool fill(int timeoutMs);

    platform::SocketHandle socket_ = platform::kInvalidSocket;
    protocol::PacketReader reader_;
};

}  // namespace tvr::client
