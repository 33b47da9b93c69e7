// SPDX-License-Identifier: MIT
#pragma once
// Why a channel lists nothing, in words a user acts on: shared by the start-up summary and the
// console line of a refused listing.
#include <string>

#include "core/settings.h"

namespace tvr::library {

/// "PC folder", "VR device", "search list", "favourites list", "playlist" or "unknown type N".
std::u16string channelTypeName(std::int32_t type);
/// Why channel index (0 to 7) does not resolve, and what to change; call it only for a channel
/// that resolveChannelRoot refuses.
std::u16string explainUnresolvedChannel(const core::Config& config, int index);
/// Why "#CMD_GET_CHANNEL" for channel (any number the headset sent) lists nothing.
std::u16string explainUnlistedChannel(const core::Config& config, std::int32_t channel);
/// Why the listing of channel (0 to 7) ended before it was complete: the headset left.
std::u16string explainAbandonedListing(const core::Config& config, std::int32_t channel);

}  // namespace tvr::library
