// SPDX-License-Identifier: MIT
#pragma once
// The address the main window shows the user for the headset to connect to.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tvr::ui {

/// The host name's IPv4 address as "%d.%d.%d.%d"; when that is a loopback address, which no
/// headset can reach, the first network interface's address instead; empty when none is known.
std::u16string serverAddressText(std::optional<std::uint32_t> hostAddress, std::span<const std::uint32_t> lanAddresses);

/// serverAddressText for this computer: its host name looked up, and its interfaces.
std::u16string thisServerAddress();

}  // namespace tvr::ui
