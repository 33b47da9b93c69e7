// SPDX-License-Identifier: MIT
#pragma once
// The connection's send buffer: records are appended behind room for the packet header and
// leave as one packet at the next flush; list records ("RTFL") are built in place and each
// leaves in its own packet.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/wire.h"

namespace tvr::protocol {

class SendBuffer {
public:
    /// Sends one whole packet; false when it could not be sent.
    using Transmit = std::function<bool(const std::uint8_t* data, std::size_t size)>;

    explicit SendBuffer(Transmit transmit);
    /// Forgets anything queued (a new connection).
    void reset();
    /// Queues one record, flushing first when it would not fit; false when it can never fit.
    bool appendRecord(FourCC type, std::string_view payload);
    /// Sends what is queued as one packet; true when there was nothing to send or it was sent.
    bool flush();
    /// Flushes and opens a list record.
    void beginList();
    /// Adds one entry to the open list record, ending it and opening a new one when full.
    void addListEntry(std::uint16_t value, std::u16string_view folder, std::u16string_view name);
    /// Ends the open list record and sends it when it holds entries.
    void endList();
    /// Bytes queued behind the packet header.
    std::size_t pending() const { return write_ - kHeaderSize; }

private:
    void startListRecord();
    void putU16(std::uint16_t value);
    void putText(std::u16string_view text);

    Transmit transmit_;
    std::vector<std::uint8_t> buffer_;
    std::size_t write_ = kHeaderSize;
    // State of the open list record.
    bool listOpen_ = false;
    std::size_t listStart_ = 0;  // offset of the record header
    std::size_t listWrite_ = 0;  // next entry byte
    std::uint16_t listCount_ = 0;
    std::u16string rememberedFolder_;
};

}  // namespace tvr::protocol
