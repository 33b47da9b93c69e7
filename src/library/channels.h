// SPDX-License-Identifier: MIT
#pragma once
// The channel model: how a channel's path resolves to a root on disk and how the headset
// changes a channel's type.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/settings.h"

namespace tvr::library {

/// Result of resolveChannelRoot.
struct ChannelRoot {
    std::int32_t type = 0;
    std::u16string root;  // "/" separators
    bool recurse = false;
    bool isFolder = false;
};

/// True when the channel resolves to something on disk ("(PCVideo)" is the user's Videos folder;
/// "(Computer)" and "(DeviceVide)" never resolve); channel must not be negative.
bool resolveChannelRoot(const core::Config& config, std::int32_t channel, ChannelRoot* out);
/// Sets a channel to PC folder (0) or VR device (1), storing a real folder path for type 0;
/// false (nothing changed) for a channel outside 0..7, another type, or a path that is no storable
/// line (core::isStorableLine). The caller asks the front-end to refresh.
bool setChannelType(core::Config& config, std::int32_t channel, std::int32_t type, std::u16string_view path);

}  // namespace tvr::library
