// SPDX-License-Identifier: MIT
#include "protocol/packet_reader.h"

#include <algorithm>
#include <cstring>

namespace tvr::protocol {

std::uint8_t* PacketReader::space() {
    if (buffer_.size() < capacity_) buffer_.resize(capacity_);
    return buffer_.data() + size_;
}

std::size_t PacketReader::room() const {
    if (state() == FrameState::Ready) return 0;
    return capacity_ - size_;
}

std::size_t PacketReader::feed(const std::uint8_t* data, std::size_t size) {
    std::uint8_t* to = space();
    std::size_t taken = std::min(size, capacity_ - size_);
    if (taken > 0) std::memcpy(to, data, taken);
    commit(taken);
    return taken;
}

std::uint32_t PacketReader::announcedLength() const { return size_ >= kHeaderSize ? readU32(buffer_.data() + 4) : 0; }

FrameState PacketReader::state() const {
    if (size_ < kHeaderSize) return FrameState::NeedMore;
    if (readU32(buffer_.data()) != kPack) return FrameState::BadFourCC;
    std::uint64_t whole = kHeaderSize + std::uint64_t{announcedLength()};
    if (whole > capacity_) return FrameState::TooLarge;
    return size_ >= whole ? FrameState::Ready : FrameState::NeedMore;
}

void PacketReader::pop() {
    if (state() != FrameState::Ready) return;
    std::size_t whole = kHeaderSize + announcedLength();
    std::memmove(buffer_.data(), buffer_.data() + whole, size_ - whole);
    size_ -= whole;
}

bool RecordCursor::next(RecordView* record) {
    if (atEnd() || malformed_) return false;
    if (!readRecord(body_, size_, offset_, record)) {
        malformed_ = true;
        return false;
    }
    offset_ += kHeaderSize + record->size;
    return true;
}

}  // namespace tvr::protocol
