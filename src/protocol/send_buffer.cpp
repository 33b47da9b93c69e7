// SPDX-License-Identifier: MIT
#include "protocol/send_buffer.h"

#include <algorithm>

namespace tvr::protocol {

namespace {

// The open packet always has room for its header and a list record's header and count.
constexpr std::size_t kListHeadSize = kHeaderSize + 2;

}  // namespace

SendBuffer::SendBuffer(Transmit transmit) : transmit_(std::move(transmit)), buffer_(kBufferSize) {}

void SendBuffer::reset() {
    packetStart_ = 0;
    write_ = kHeaderSize;
    listOpen_ = false;
    listCount_ = 0;
    rememberedFolder_.clear();
}

bool SendBuffer::appendRecord(FourCC type, std::string_view payload) {
    std::size_t needed = kHeaderSize + payload.size();
    if (needed > buffer_.size() - kHeaderSize) return false;
    // A text appended while a list record is open would land where the list grows: close it.
    if (listOpen_) {
        endList();
        listOpen_ = false;
    }
    if (write_ + needed > buffer_.size()) transmitEnded();
    if (write_ + needed > buffer_.size()) {
        endPacket();
        transmitEnded();
    }
    writeU32(&buffer_[write_], type);
    writeU32(&buffer_[write_ + 4], static_cast<std::uint32_t>(payload.size()));
    std::copy(payload.begin(), payload.end(), buffer_.begin() + static_cast<std::ptrdiff_t>(write_ + kHeaderSize));
    write_ += needed;
    return true;
}

void SendBuffer::endPacket() {
    if (write_ <= packetStart_ + kHeaderSize) return;
    writeU32(&buffer_[packetStart_], kPack);
    writeU32(&buffer_[packetStart_ + 4], static_cast<std::uint32_t>(write_ - packetStart_ - kHeaderSize));
    packetStart_ = write_;
    write_ = packetStart_ + kHeaderSize;
    if (write_ + kListHeadSize > buffer_.size()) transmitEnded();
}

bool SendBuffer::send() { return transmitEnded(); }

// Sends the ended packets and moves the open one, with an open list record, to the front.
bool SendBuffer::transmitEnded() {
    if (packetStart_ == 0) return true;
    const bool sent = transmit_(buffer_.data(), packetStart_);
    const std::size_t shift = packetStart_;
    const std::size_t end = listOpen_ ? listWrite_ : write_;
    std::copy(buffer_.begin() + static_cast<std::ptrdiff_t>(shift + kHeaderSize),
              buffer_.begin() + static_cast<std::ptrdiff_t>(end), buffer_.begin() + kHeaderSize);
    packetStart_ = 0;
    write_ -= shift;
    if (listOpen_) {
        listStart_ -= shift;
        listWrite_ -= shift;
    }
    return sent;
}

void SendBuffer::startListRecord() {
    listOpen_ = true;
    listStart_ = write_;
    listWrite_ = write_ + kListHeadSize;
    listCount_ = 0;
    rememberedFolder_.clear();
}

void SendBuffer::beginList() {
    endPacket();
    startListRecord();
}

bool SendBuffer::listFits(std::size_t bytes) {
    if (listWrite_ + bytes > buffer_.size()) transmitEnded();
    return listWrite_ + bytes <= buffer_.size();
}

void SendBuffer::putU16(std::uint16_t value) {
    writeU16(&buffer_[listWrite_], value);
    listWrite_ += 2;
}

void SendBuffer::putText(std::u16string_view text) {
    for (char16_t unit : text) putU16(unit);
    putU16(0);
}

void SendBuffer::addListEntry(std::uint16_t value, std::u16string_view folder, std::u16string_view name) {
    if (!listOpen_) beginList();
    // A length field is 16 bits: texts beyond that cannot be described and are left out.
    constexpr std::size_t kMaxTextUnits = 0xFFFF / 2 - 1;
    if (folder.size() > kMaxTextUnits || name.size() > kMaxTextUnits) return;
    auto entrySize = [&](bool withFolder) {
        return 6 + (withFolder ? 2 * (folder.size() + 1) : 0) + 2 * (name.size() + 1);
    };
    bool newFolder = folder != rememberedFolder_;
    if (!listFits(entrySize(newFolder)) || listCount_ == 0xFFFF) {
        endList();
        newFolder = folder != rememberedFolder_;
        // An entry larger than an empty buffer can never be sent.
        if (!listFits(entrySize(newFolder))) return;
    }
    putU16(value);
    if (newFolder) {
        rememberedFolder_.assign(folder);
        putU16(static_cast<std::uint16_t>(2 * (folder.size() + 1)));
        putText(folder);
    } else {
        putU16(0);
    }
    putU16(static_cast<std::uint16_t>(2 * (name.size() + 1)));
    putText(name);
    ++listCount_;
}

void SendBuffer::endList() {
    if (!listOpen_) return;
    if (listCount_ > 0) {
        writeU32(&buffer_[listStart_], kList);
        writeU32(&buffer_[listStart_ + 4], static_cast<std::uint32_t>(listWrite_ - listStart_ - kHeaderSize));
        writeU16(&buffer_[listStart_ + kHeaderSize], listCount_);
        write_ = listWrite_;
        listOpen_ = false;
        endPacket();
    }
    startListRecord();
}

}  // namespace tvr::protocol
