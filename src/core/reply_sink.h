// SPDX-License-Identifier: MIT
#pragma once
// Where a command handler puts its answer: text records and compact file-list records. The
// control server implements it on its send buffer; tests implement it on a vector.
#include <cstdint>
#include <string_view>

namespace tvr::core {

class ReplySink {
public:
    virtual ~ReplySink() = default;
    /// Queues one text record ("STRG") holding the message.
    virtual void appendText(std::u16string_view message) = 0;
    /// Sends what is queued and opens a list record ("RTFL").
    virtual void beginList() = 0;
    /// Adds one file to the open list record, starting a new record when it is full.
    virtual void addListEntry(std::uint16_t value, std::u16string_view folder, std::u16string_view name) = 0;
    /// Closes the open list record and sends it when it holds entries.
    virtual void endList() = 0;
    /// True once the answer can no longer reach the headset (a stop, a forced disconnect, a lost
    /// connection), so that long work such as a large listing may end early.
    virtual bool abandoned() const { return false; }
};

}  // namespace tvr::core
