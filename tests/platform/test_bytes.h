// SPDX-License-Identifier: MIT
#pragma once
// Byte helpers for the platform tests: building UTF-16 file content from text.
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

/// The text of UTF-16LE bytes (no byte-order mark; an odd last byte is dropped).
inline std::u16string decodeUtf16le(std::string_view bytes) {
    std::u16string out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                            (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return out;
}

/// UTF-16LE bytes with the byte-order mark in front.
inline std::string utf16leWithBom(std::u16string_view text) { return "\xFF\xFE" + utf16le(text); }

/// UTF-16BE bytes with the byte-order mark in front.
inline std::string utf16beWithBom(std::u16string_view text) {
    std::string out = "\xFE\xFF";
    for (char16_t unit : text) {
        out.push_back(static_cast<char>(unit >> 8));
        out.push_back(static_cast<char>(unit & 0xFF));
    }
    return out;
}

}  // namespace tvr::test
