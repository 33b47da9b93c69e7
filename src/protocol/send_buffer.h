// SPDX-License-Identifier: MIT
#pragma once
// The connection's send buffer: records are appended to the open packet; a packet ends at
// endPacket (and before a record that would not fit), and the ended packets leave together, in
// one write, at the next send. List records ("RTFL") are built in place, each in its own packet.
// A packet starts its bytes where the last one ended but never holds less than it would at the
// buffer's start: the ended packets are sent first to make the room.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/wire.h"

namespace tvr::protocol {

class SendBuffer {
public:
    /// Sends bytes holding one or more whole packets; false when they could not be sent.
    using Transmit = std::function<bool(const std::uint8_t* data, std::size_t size)>;

    explicit SendBuffer(Transmit transmit);
    /// Forgets anything queued (a new connection).
    void reset();
    /// Queues one record, ending the packet first when it would not fit; false when it can never fit.
    bool appendRecord(FourCC type, std::string_view payload);
    /// Ends the open packet (when it holds a record); it leaves at the next send.
    void endPacket();
    /// Sends every ended packet in one write; the open packet stays open. True when there was
    /// nothing to send or it was sent.
    bool send();
    /// Ends the open packet and opens a list record in a new one.
    void beginList();
    /// Adds one entry to the open list record, ending it and opening a new one when full.
    void addListEntry(std::uint16_t value, std::u16string_view folder, std::u16string_view name);
    /// Ends the open list record and its packet when it holds entries.
    void endList();

private:
    bool transmitEnded();
    bool listFits(std::size_t bytes);
    void startListRecord();
    void putU16(std::uint16_t value);
    void putText(std::u16string_view text);

    Transmit transmit_;
    std::vector<std::uint8_t> buffer_;
    std::size_t packetStart_ = 0;  // header of the open packet; the ended packets lie before it
    std::size_t write_ = kHeaderSize;
    // State of the open list record.
    bool listOpen_ = false;
    std::size_t listStart_ = 0;  // offset of the record header
    std::size_t listWrite_ = 0;  // next entry byte
    std::uint16_t listCount_ = 0;
    std::u16string rememberedFolder_;
};

}  // namespace tvr::protocol
