// SPDX-License-Identifier: MIT
// One pass of the control loop: accept, receive, and answer every record of one packet.
#include "core/text.h"
#include "protocol/control_server.h"
#include "protocol/tagged_message.h"

namespace tvr::protocol {

void CControlServer::Poll() {
    if (!connected_) {
        platform::Ipv4Endpoint peer;
        platform::SocketHandle socket = platform::tcpAccept(listener_, &peer);
        if (socket == platform::kInvalidSocket) return;
        ConnectionSetup(socket, peer);
        lastActivity_ = clock_.nowMs();
    }
    if (!Receive()) return;
    RecordView record;
    while (packetReady_ && NextRecord(&record)) {
        bool success = false;
        if (record.type == kText) {
            std::u16string text;
            if (decodeTextPayload(record, &text)) {
                success = HandleText(text);
            } else {
                PostStatus(0x201, u"エラー", u"テキストレコードが不正(終端なし)");
            }
        } else if (record.type == kCommand && authenticated_) {
            success = DispatchCommand(record);
        }
        if (!connected_) return;  // a handler that waited for more packets may have lost the client
        AppendReply(success);
        // A stop ends the packet here: each further record may be a whole listing, and the server
        // cannot be freed before its thread ends. The connection closes with the stop anyway.
        if (thread_.stopRequested()) return;
    }
    if (packetReady_) RemovePacket();
}

bool CControlServer::HandleText(std::u16string_view text) {
    if (MessageIs(text, u"#CMD_SETUP")) return CommandSetup(text);
    if (MessageIs(text, u"#CMD_PASSWORD")) return CommandPassword(text);
    if (!authenticated_) return false;
    if (MessageIs(text, u"#CMD_GET_CHANNEL")) return CommandGetChannel(text);
    if (MessageIs(text, u"#CMD_SAVE_CHANNEL")) return CommandSaveChannel(text);
    return false;
}

bool CControlServer::NextRecord(RecordView* record) {
    if (current_ >= packetEnd_) return false;
    const std::uint8_t* body = receive_.data() + kHeaderSize;
    std::size_t bodySize = packetEnd_ - kHeaderSize;
    if (!readRecord(body, bodySize, current_ - kHeaderSize, record)) {
        // The rest of the body does not hold a whole record: answer once and drop the packet.
        PostStatus(0x201, u"エラー", u"レコード長がパケットに合わない");
        AppendReply(false);
        current_ = packetEnd_;
        return false;
    }
    current_ += kHeaderSize + record->size;
    return true;
}

void CControlServer::RemovePacket() {
    std::size_t rest = received_ - packetEnd_;
    std::copy(receive_.begin() + static_cast<std::ptrdiff_t>(packetEnd_),
              receive_.begin() + static_cast<std::ptrdiff_t>(received_), receive_.begin());
    received_ = rest;
    packetReady_ = false;
    current_ = packetEnd_ = 0;
}

bool CControlServer::Receive() {
    if (packetReady_) return true;
    if (receive_.empty()) receive_.resize(kBufferSize);
    std::size_t room = receive_.size() - received_;
    // A complete packet may already be buffered (two packets arrived in one read).
    platform::IoResult result{platform::IoStatus::WouldBlock, 0, 0};
    if (room > 0) result = platform::recvSome(client_, receive_.data() + received_, room);
    if (result.status == platform::IoStatus::Closed) {
        Disconnect(u"正常終了");
        return false;
    }
    if (result.status == platform::IoStatus::Error) {
        Disconnect(core::format(u"socket error:%d", {result.error}));
        return false;
    }
    if (result.status == platform::IoStatus::WouldBlock) {
        if (forceDisconnect_) {
            Disconnect(u"強制切断");
            return false;
        }
        std::uint32_t idle = core::elapsedMs(clock_.nowMs(), lastActivity_);
        if (!suspended_ && idle >= liveTimeoutMs_) {
            Disconnect(core::format(u"無通信:%d秒", {static_cast<std::int64_t>(idle / 1000)}));
            return false;
        }
    }
    received_ += result.bytes;
    if (received_ < kHeaderSize) return false;
    if (readU32(receive_.data()) != kPack) {
        // The stream cannot be resynchronised: report it and free the line for the next headset.
        PostStatus(0x201, u"致命的なエラー", u"GetHeader() : ForeCC'PACK'が一致しない");
        Disconnect(u"FourCC不一致");
        return false;
    }
    std::uint64_t length = readU32(receive_.data() + 4);
    if (kHeaderSize + length > receive_.size()) {
        PostStatus(0x201, u"致命的なエラー",
                   core::format(u"GetHeader() : パケットが大きすぎる(%u)", {static_cast<std::int64_t>(length)}));
        Disconnect(u"パケットサイズ超過");
        return false;
    }
    if (received_ < kHeaderSize + length) return false;
    lastActivity_ = clock_.nowMs();
    current_ = kHeaderSize;
    packetEnd_ = kHeaderSize + static_cast<std::size_t>(length);
    packetReady_ = true;
    return true;
}

bool CControlServer::WaitForPacket() {
    RemovePacket();
    while (connected_) {
        if (Receive()) return true;
        if (!connected_ || thread_.stopRequested()) return false;
        platform::PollItem item{client_, true, false};
        thread_.waitSockets(&item, 1, 20);
    }
    return false;
}

}  // namespace tvr::protocol
