// SPDX-License-Identifier: MIT
#pragma once
// Where a handler puts its answer: text records, a command's result records and compact
// file-list records. The control connection implements it on its send buffer; tests implement
// it on a vector.
#include <cstdint>
#include <string_view>

namespace tvr::protocol {

class ReplySink {
public:
    virtual ~ReplySink() = default;
    /// Queues one text record ("STRG") holding the message.
    virtual void appendText(std::u16string_view message) = 0;
    /// Queues one result record ("RTMS") of a command: its place in the reply, a value and a text.
    virtual void appendResult(std::int32_t index, std::int32_t value, std::u16string_view text) = 0;
    /// Sends what is queued and opens a list record ("RTFL").
    virtual void beginList() = 0;
    /// Adds one file to the open list record, starting a new record when it is full.
    virtual void addListEntry(std::uint16_t value, std::u16string_view folder, std::u16string_view name) = 0;
    /// Closes the open list record and sends it when it holds entries.
    virtual void endList() = 0;
    /// True when nobody waits for the answer any more (the headset left or was dropped, or the
    /// server stops): a long answer ends early. Cheap enough to ask between two folder entries.
    virtual bool abandoned() { return false; }
};

}  // namespace tvr::protocol
