// SPDX-License-Identifier: MIT
// One pass of the control loop: accept, receive, and answer every record of one packet.
#include <exception>

#include "core/text.h"
#include "protocol/command_table.h"
#include "protocol/control_server.h"
#include "protocol/refusal.h"
#include "protocol/save_channel.h"
#include "protocol/status_codes.h"
#include "protocol/text_handlers.h"

namespace tvr::protocol {

void ControlServer::poll() {
    if (!session_.connected) {
        platform::Ipv4Endpoint peer;
        platform::SocketHandle socket = platform::tcpAccept(listener_, &peer);
        if (socket == platform::kInvalidSocket) return;
        connectionSetup(socket, peer);
        lastActivity_ = clock_.nowMs();
    }
    if (receive()) servePacket();
}

void ControlServer::servePacket() {
    const std::uint64_t loginBefore = session_.login;
    RecordCursor cursor(reader_.body(), reader_.announcedLength());
    RecordView record;
    // A stop or a forced disconnect ends the packet between records: each record may be a whole
    // listing, which on a slow disk (or under Wine's slow StrCmpLogicalW) takes a while.
    while (session_.connected && !thread_.stopRequested() && !forceDisconnect_ && cursor.next(&record)) {
        serveRecord(record);
    }
    if (!session_.connected) return;  // the reader was reset with the connection
    if (session_.login != loginBefore) {
        // The player connects to the video port right after the login's reply: wake its server now.
        std::lock_guard<std::mutex> lock(pendingMutex_);
        if (onLogin_) onLogin_();
    }
    if (cursor.malformed()) {
        // The rest of the body does not hold a whole record: answer once and drop the packet.
        postStatus(status::kError, status::kErrorText, u"レコード長がパケットに合わない");
        status_.refuse(u"the rest of a packet", refusalReason({}, true, status_.current()));
        appendReply(false);
        if (session_.saving && session_.connected) {
            session_.saving.reset();
            appendReply(false);
        }
    }
    reader_.pop();
}

void ControlServer::serveRecord(const RecordView& record) {
    try {
        serveRecordUnguarded(record);
    } catch (const std::exception& error) {
        // A handler that fails this way (out of memory) fails its own record only: the headset
        // gets the error reply and the connection and the thread go on.
        send_.endList();
        session_.saving.reset();
        postStatus(status::kError, status::kErrorText,
                   core::format(status::kExceptionFormat, {std::u16string_view(platform::fromUtf8(error.what()))}));
        if (session_.connected) appendReply(false);
    }
}

void ControlServer::serveRecordUnguarded(const RecordView& record) {
    HandlerContext handlers = context();
    const std::uint64_t postsBefore = status_.postCount();
    session_.refusal.clear();
    auto noteRefusal = [&](std::u16string_view request) {
        status_.refuse(std::u16string(request),
                       refusalReason(session_.refusal, status_.postCount() != postsBefore, status_.current()));
    };
    if (session_.saving) {
        std::optional<bool> done = session_.saving->feed(handlers, record);
        if (!done) return;
        session_.saving.reset();
        if (!*done) noteRefusal(u"#CMD_SAVE_CHANNEL");
        appendReply(*done);
        return;
    }
    bool success = false;
    if (record.type == kText) {
        std::u16string text;
        if (decodeTextPayload(record, &text)) {
            Outcome outcome = handleText(handlers, text);
            if (outcome == Outcome::Pending) return;
            success = outcome == Outcome::Success;
        } else {
            postStatus(status::kError, status::kErrorText, u"テキストレコードが不正(終端なし)");
        }
    } else if (record.type == kCommand && session_.authenticated) {
        std::vector<ResultEntry> entries;
        success = dispatchCommand(handlers, record, &entries);
        for (const auto& entry : entries) send_.appendRecord(kResult, encodeResultPayload(entry));
    } else if (record.type == kCommand) {
        session_.refusal = u"the headset has not logged in (#CMD_SETUP, and #CMD_PASSWORD when asked)";
    }
    if (!session_.connected) return;  // a send that timed out dropped the headset
    if (!success) noteRefusal(requestName(record));
    appendReply(success);
}

bool ControlServer::receive() {
    if (reader_.state() == FrameState::Ready) return true;
    platform::IoResult result = platform::recvSome(client_, reader_.space(), reader_.room());
    if (result.status == platform::IoStatus::Closed) {
        disconnect(status::kReasonClosed);
        return false;
    }
    if (result.status == platform::IoStatus::Error) {
        disconnect(core::format(status::kReasonSocketError, {result.error}));
        return false;
    }
    if (result.status == platform::IoStatus::WouldBlock) {
        if (forceDisconnect_) {
            disconnect(status::kReasonForced);
            return false;
        }
        // The suspension outlives a headset that drops, for its return; a peer that has not
        // logged in is never exempt, or a silent stranger could hold the only place.
        const bool exempt = session_.suspended && session_.authenticated;
        std::uint32_t idle = core::elapsedMs(clock_.nowMs(), lastActivity_);
        if (!exempt && idle >= liveTimeoutMs_) {
            disconnect(core::format(status::kReasonNoTraffic, {static_cast<std::int64_t>(idle / 1000)}));
            return false;
        }
    }
    reader_.commit(result.bytes);
    switch (reader_.state()) {
        case FrameState::NeedMore:
            return false;
        case FrameState::BadFourCC:
            // The stream cannot be resynchronised: report it and free the line for the next headset.
            postStatus(status::kError, status::kFatalErrorText, u"GetHeader() : ForeCC'PACK'が一致しない");
            disconnect(status::kReasonBadFourCC);
            return false;
        case FrameState::TooLarge:
            postStatus(status::kError, status::kFatalErrorText,
                       core::format(u"GetHeader() : パケットが大きすぎる(%u)",
                                    {static_cast<std::int64_t>(reader_.announcedLength())}));
            disconnect(status::kReasonTooLarge);
            return false;
        case FrameState::Ready:
            break;
    }
    lastActivity_ = clock_.nowMs();
    return true;
}

}  // namespace tvr::protocol
