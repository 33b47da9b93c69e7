// SPDX-License-Identifier: MIT
#pragma once
// The one simple case folding of the tree: INI names, natural order and the extension filter
// share it. ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and full-width Latin capitals
// fold to lower case, one code unit each.
namespace tvr::platform::detail {

/// The lower-case form of one UTF-16 code unit (unchanged when it has none here).
constexpr char16_t foldCase(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 0x20);
    if (c < 0xC0) return c;
    if (c <= 0xDE) return c == 0xD7 ? c : static_cast<char16_t>(c + 0x20);
    if (c == 0x178) return 0xFF;
    // Greek: accented capitals first, then the plain block (0x3A2 is unassigned).
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return static_cast<char16_t>(c + 37);
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return static_cast<char16_t>(c + 63);
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return static_cast<char16_t>(c + 0x20);
    // Cyrillic: the 0x400 row maps to 0x450, the capitals 0x410..0x42F to 0x430..0x44F.
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
    if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 0x20);
    // Full-width Latin capitals, which Japanese file names use.
    if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<char16_t>(c + 0x20);
    // Latin Extended-A pairs upper and lower case as even/odd, except the ranges that pair odd/even.
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return static_cast<char16_t>(c | 1);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
        return (c & 1) ? static_cast<char16_t>(c + 1) : c;
    }
    return c;
}

}  // namespace tvr::platform::detail
