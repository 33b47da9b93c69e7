// SPDX-License-Identifier: MIT
#include "mouse/mouse_datagram.h"

#include <cstdio>

namespace tvr::mouse {

std::string formatMouseDatagram(const MouseReport& report) {
    char text[160];
    int length = std::snprintf(text, sizeof text, "#MOUSE(ct=%d,px=%d,py=%d,pw=%d,bt1=%d,bt2=%d,bt3=%d,bt4=0,bt5=0)*",
                               report.counter, report.x, report.y, report.wheel, report.buttons[0], report.buttons[1],
                               report.buttons[2]);
    return std::string(text, static_cast<std::size_t>(length));
}

std::uint32_t parseDottedAddress(std::u16string_view text) {
    std::uint32_t address = 0;
    for (int byte = 0; byte < 4; ++byte) {
        std::size_t dot = text.find(u'.');
        std::u16string_view token = text.substr(0, dot);
        // A value above 255 would carry into the next byte, so it counts as unreadable.
        std::uint32_t value = 0;
        bool readable = !token.empty() && token.size() <= 3;
        for (char16_t unit : token) {
            readable = readable && unit >= u'0' && unit <= u'9';
            if (readable) value = value * 10 + static_cast<std::uint32_t>(unit - u'0');
        }
        if (readable && value <= 255) address |= value << (8 * (3 - byte));
        if (dot == std::u16string_view::npos) break;
        text.remove_prefix(dot + 1);
    }
    return address;
}

}  // namespace tvr::mouse
