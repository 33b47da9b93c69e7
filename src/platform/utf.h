// SPDX-License-Identifier: MIT
#pragma once
// The one place where text changes encoding. Header-only on top of utfcpp, so that the
// platform layer can turn paths into native UTF-8 without depending on the rest of core.
#include <utf8.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace tvr::platform {

inline bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

/// True when a surrogate code unit stands without its partner: UTF-8 has no form for it.
inline bool hasUnpairedSurrogate(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            ++i;
        } else if (isHighSurrogate(text[i]) || isLowSurrogate(text[i])) {
            return true;
        }
    }
    return false;
}

/// True when the bytes are well-formed UTF-8 (no surrogates, no overlong forms).
inline bool isValidUtf8(std::string_view text) { return utf8::is_valid(text.begin(), text.end()); }

/// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
inline std::string toUtf8(std::u16string_view text) {
    if (std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; })) {
        return std::string(text.begin(), text.end());
    }
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (isHighSurrogate(c) || isLowSurrogate(c)) {
            c = 0xFFFD;
        }
        utf8::unchecked::append(static_cast<utf8::uint32_t>(c), std::back_inserter(out));
    }
    return out;
}

/// UTF-8 to UTF-16; invalid sequences become U+FFFD.
inline std::u16string fromUtf8(std::string_view text) {
    // Plain ASCII, most names and settings, widens unit by unit.
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return std::u16string(text.begin(), text.end());
    }
    std::string valid;
    std::string_view source = text;
    if (!utf8::is_valid(text.begin(), text.end())) {
        utf8::replace_invalid(text.begin(), text.end(), std::back_inserter(valid), 0xFFFD);
        source = valid;
    }
    std::u16string out;
    out.reserve(source.size());
    utf8::unchecked::utf8to16(source.begin(), source.end(), std::back_inserter(out));
    return out;
}

/// ASCII text to UTF-16 (for literals built at run time).
inline std::u16string fromAscii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

}  // namespace tvr::platform
