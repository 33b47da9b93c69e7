// SPDX-License-Identifier: MIT
#pragma once
// Internal to the platform layer: the simple case folding that INI names and natural order
// share. ASCII, Latin-1 and Latin Extended-A letters fold to lower case, one code unit each.
namespace tvr::platform::detail {

/// The lower-case form of one UTF-16 code unit (unchanged when it has none here).
constexpr char16_t foldCase(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 0x20);
    if (c < 0xC0) return c;
    if (c <= 0xDE) return c == 0xD7 ? c : static_cast<char16_t>(c + 0x20);
    if (c == 0x178) return 0xFF;
    // Latin Extended-A pairs upper and lower case as even/odd, except the ranges that pair odd/even.
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return static_cast<char16_t>(c | 1);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
        return (c & 1) ? static_cast<char16_t>(c + 1) : c;
    }
    return c;
}

}  // namespace tvr::platform::detail
