// SPDX-License-Identifier: MIT
#pragma once
// The one place where text changes encoding. Header-only on top of utfcpp, so that the
// platform layer can turn paths into native UTF-8 without depending on the rest of core.
#include <utf8.h>

#include <string>
#include <string_view>

namespace tvr::platform {

/// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
inline std::string toUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        utf8::unchecked::append(static_cast<utf8::uint32_t>(c), std::back_inserter(out));
    }
    return out;
}

/// UTF-8 to UTF-16; invalid sequences become U+FFFD.
inline std::u16string fromUtf8(std::string_view text) {
    std::string valid;
    const std::string* source = nullptr;
    std::string copy(text);
    if (utf8::is_valid(copy.begin(), copy.end())) {
        source = &copy;
    } else {
        utf8::replace_invalid(copy.begin(), copy.end(), std::back_inserter(valid), 0xFFFD);
        source = &valid;
    }
    std::u16string out;
    out.reserve(source->size());
    utf8::unchecked::utf8to16(source->begin(), source->end(), std::back_inserter(out));
    return out;
}

/// True when a surrogate code unit stands without its partner (no UTF-8 form holds it).
inline bool hasUnpairedSurrogate(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool high = text[i] >= 0xD800 && text[i] <= 0xDBFF;
        bool low = text[i] >= 0xDC00 && text[i] <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            ++i;
        } else if (high || low) {
            return true;
        }
    }
    return false;
}

/// ASCII text to UTF-16 (for literals built at run time).
inline std::u16string fromAscii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

}  // namespace tvr::platform
