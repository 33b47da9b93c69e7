// SPDX-License-Identifier: MIT
#pragma once
// The headset's channel changes reach the settings file before the headset hears OK: the control
// thread hands each change to the one who writes the file and waits, bounded, for the write.
#include <cstdint>
#include <string_view>

namespace tvr::core {

class ChannelSaver {
public:
    virtual ~ChannelSaver() = default;
    /// Writes the channel's type and path to the settings file; true once written, false when the
    /// write failed or did not end within the saver's bound (the change is still written later).
    virtual bool saveChannel(std::int32_t channel, std::int32_t type, std::u16string_view path) = 0;
};

}  // namespace tvr::core
