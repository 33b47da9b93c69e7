// SPDX-License-Identifier: MIT
#pragma once
// The relay's wire format and its target: one ASCII datagram per poll, sent to the control
// client's IPv4 address taken from its dotted text.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tvr::mouse {

/// What one datagram carries: the counter before it, the sums since start, buttons 1 to 3.
struct MouseReport {
    std::int32_t counter = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t wheel = 0;
    std::array<std::int32_t, 3> buttons{};
};

/// "#MOUSE(ct=%d,px=%d,py=%d,pw=%d,bt1=%d,bt2=%d,bt3=%d,bt4=0,bt5=0)*", no terminator.
std::string formatMouseDatagram(const MouseReport& report);

/// The IPv4 address (host order) of a dotted text such as "192.168.1.5": token k of the text
/// split at "." becomes address byte k. A token that is not a number from 0 to 255, and any
/// missing token, gives a byte of 0; tokens after the fourth are ignored.
std::uint32_t parseDottedAddress(std::u16string_view text);

}  // namespace tvr::mouse
