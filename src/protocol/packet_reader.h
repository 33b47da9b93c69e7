// SPDX-License-Identifier: MIT
#pragma once
// The one place where bytes off a control connection become packets and records: the server,
// the client and the fuzz targets all read through it, so every bound is checked here.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "protocol/wire.h"

namespace tvr::protocol {

/// What the buffered bytes hold at the front.
enum class FrameState {
    NeedMore,   // not a whole packet yet
    Ready,      // a whole packet: body() and records
    BadFourCC,  // the first four bytes are not "PACK": the stream cannot be resynchronised
    TooLarge,   // the announced body does not fit the buffer
};

class PacketReader {
public:
    /// Packets up to capacity bytes, header included.
    explicit PacketReader(std::size_t capacity = kBufferSize) : capacity_(capacity) {}
    /// Where the next received bytes go; allocated on first use.
    std::uint8_t* space();
    /// Bytes free at space(); 0 while a whole packet waits to be taken.
    std::size_t room() const;
    /// Counts bytes written into space().
    void commit(std::size_t bytes) { size_ += bytes; }
    /// Copies bytes in (as much as fits); returns how many were taken.
    std::size_t feed(const std::uint8_t* data, std::size_t size);
    /// The state of the packet at the front.
    FrameState state() const;
    /// The body length the front packet announces (valid once 8 bytes are buffered).
    std::uint32_t announcedLength() const;
    /// The front packet's body; only while state() is Ready.
    const std::uint8_t* body() const { return buffer_.data() + kHeaderSize; }
    /// Drops the front packet; the bytes behind it move up.
    void pop();
    /// Forgets everything buffered (a new connection).
    void reset() { size_ = 0; }

private:
    std::size_t capacity_;
    std::vector<std::uint8_t> buffer_;
    std::size_t size_ = 0;
};

/// Walks the records of one packet body.
class RecordCursor {
public:
    RecordCursor(const std::uint8_t* body, std::size_t size) : body_(body), size_(size) {}
    /// The next record; false at the end or at a record that does not fit (then malformed()).
    bool next(RecordView* record);
    /// True when the walk stopped at a record whose header or payload passes the body's end.
    bool malformed() const { return malformed_; }
    /// True when every record has been taken.
    bool atEnd() const { return offset_ >= size_; }

private:
    const std::uint8_t* body_;
    std::size_t size_;
    std::size_t offset_ = 0;
    bool malformed_ = false;
};

}  // namespace tvr::protocol
