// SPDX-License-Identifier: MIT
#pragma once
// Byte helpers for the platform tests: building UTF-16LE file content from ASCII-range text.
#include <string>
#include <string_view>

namespace tvr::test {

/// UTF-16LE bytes of the text (no byte-order mark).
inline std::string utf16le(std::u16string_view text) {
    std::string out;
    for (char16_t unit : text) {
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>(unit >> 8));
    }
    return out;
}

/// UTF-16LE bytes with the byte-order mark in front.
inline std::string utf16leWithBom(std::u16string_view text) { return "\xFF\xFE" + utf16le(text); }

}  // namespace tvr::test
