// SPDX-License-Identifier: MIT
#include "client/control_client.h"

#include "core/log.h"
#include "core/text.h"
#include "platform/poll.h"
#include "platform/time.h"
#include "protocol/constants.h"

namespace tvr::client {

using namespace protocol;

std::vector<std::u16string> Reply::texts() const {
    std::vector<std::u16string> out;
    for (const auto& record : records)
        if (record.type == kText) out.push_back(record.text);
    return out;
}

std::vector<ListEntry> Reply::entries() const {
    std::vector<ListEntry> out;
    for (const auto& record : records)
        if (record.type == kList) out.insert(out.end(), record.entries.begin(), record.entries.end());
    return out;
}

ControlClient::~ControlClient() { close(); }

bool ControlClient::connect(const std::string& host, std::uint16_t port, int timeoutMs,
                            const platform::Ipv4Endpoint* bindLocal) {
    close();
    std::uint32_t address = 0;
    if (!platform::resolveIpv4(host, &address)) return false;
    socket_ = platform::tcpConnect({address, port}, timeoutMs, bindLocal);
    reader_.reset();
    if (socket_ == platform::kInvalidSocket) return false;
    // A request written in pieces (sendRaw) must not wait for the server's delayed acknowledgement.
    platform::setNoDelay(socket_);
    return true;
}

void ControlClient::close() {
    platform::closeSocket(socket_);
    socket_ = platform::kInvalidSocket;
}

bool ControlClient::sendRaw(std::string_view bytes) {
    std::uint32_t start = platform::monotonicMs();
    while (!bytes.empty()) {
        platform::IoResult result = platform::sendSome(socket_, bytes.data(), bytes.size());
        if (result.status == platform::IoStatus::Ok) {
            bytes.remove_prefix(result.bytes);
        } else if (result.status == platform::IoStatus::WouldBlock && platform::monotonicMs() - start < 10000) {
            platform::PollItem item{socket_, false, true};
            platform::pollSockets(&item, 1, 100, nullptr);
        } else {
            return false;
        }
    }
    return true;
}

bool ControlClient::sendTexts(const std::vector<std::u16string>& messages) {
    std::string body;
    for (const auto& message : messages) appendRecord(body, kText, encodeTextPayload(message));
    return sendRaw(makePacket(body));
}

bool ControlClient::sendCommand(std::u16string_view name, const std::u16string (&args)[4]) {
    std::string body;
    appendRecord(body, kCommand, encodeCommandPayload(name, args));
    return sendRaw(makePacket(body));
}

bool ControlClient::fill(int timeoutMs) {
    std::uint32_t start = platform::monotonicMs();
    while (reader_.state() == FrameState::NeedMore) {
        if (socket_ == platform::kInvalidSocket) return false;
        platform::IoResult result = platform::recvSome(socket_, reader_.space(), reader_.room());
        if (result.status == platform::IoStatus::Ok) {
            reader_.commit(result.bytes);
            continue;
        }
        if (result.status != platform::IoStatus::WouldBlock) return false;
        std::uint32_t spent = platform::monotonicMs() - start;
        if (spent >= static_cast<std::uint32_t>(timeoutMs)) return false;
        platform::PollItem item{socket_, true, false};
        platform::pollSockets(&item, 1, static_cast<int>(static_cast<std::uint32_t>(timeoutMs) - spent), nullptr);
    }
    return reader_.state() == FrameState::Ready;
}

bool ControlClient::receivePacket(std::vector<Record>* records, int timeoutMs) {
    records->clear();
    if (!fill(timeoutMs)) return false;
    RecordCursor cursor(reader_.body(), reader_.announcedLength());
    RecordView view;
    bool ok = true;
    while (ok && cursor.next(&view)) {
        Record record;
        record.type = view.type;
        if (view.type == kText) ok = decodeTextPayload(view, &record.text);
        if (view.type == kList) ok = decodeListPayload(view, &record.entries);
        if (view.type == kResult) ok = decodeResultPayload(view, &record.result);
        if (ok) records->push_back(std::move(record));
    }
    reader_.pop();
    return ok && !cursor.malformed();
}

bool ControlClient::receiveReply(Reply* reply, int timeoutMs) {
    *reply = Reply{};
    std::vector<Record> records;
    while (receivePacket(&records, timeoutMs)) {
        ++reply->packets;
        for (auto& record : records) {
            bool closing =
                record.type == kText && (record.text == u"#RET_OK()" || record.text.rfind(u"#RET_ERR(", 0) == 0);
            if (closing) {
                reply->ok = record.text == u"#RET_OK()";
                reply->final = record.text;
            }
            reply->records.push_back(std::move(record));
            if (closing) return true;
        }
    }
    return false;
}

bool ControlClient::waitForData(int timeoutMs) {
    if (socket_ == platform::kInvalidSocket) return false;
    platform::PollItem item{socket_, true, false};
    return platform::pollSockets(&item, 1, timeoutMs, nullptr) > 0;
}

bool ControlClient::waitClosed(int timeoutMs) {
    std::uint32_t start = platform::monotonicMs();
    char chunk[4096];
    while (platform::monotonicMs() - start < static_cast<std::uint32_t>(timeoutMs)) {
        platform::IoResult result = platform::recvSome(socket_, chunk, sizeof chunk);
        if (result.status == platform::IoStatus::Closed || result.status == platform::IoStatus::Error) return true;
        if (result.status == platform::IoStatus::Ok) continue;
        platform::PollItem item{socket_, true, false};
        platform::pollSockets(&item, 1, 50, nullptr);
    }
    return false;
}

std::u16string ControlClient::setupMessage(std::int32_t version, std::u16string_view copyright) {
    return core::format(u"#CMD_SETUP(<protocol_ver>%d,<copyright>\"%s\")", {version, copyright});
}

std::u16string ControlClient::setupMessage() { return setupMessage(core::kProtocolVersion, kClientCopyright); }

}  // namespace tvr::client
