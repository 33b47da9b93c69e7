// SPDX-License-Identifier: MIT
#include "ui/text_fit.h"

namespace tvr::ui {
namespace {

constexpr std::u16string_view kEllipsis = u"…";

bool isSurrogateTail(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Whether the text may end after its first n characters.
bool breaksAfter(std::u16string_view text, std::size_t n) {
    char16_t before = text[n - 1];
    char16_t after = text[n];
    if (isSurrogateTail(after)) return false;
    return before == u' ' || before > 0x7F || after > 0x7F;
}

}  // namespace

std::u16string fitAtWord(std::u16string_view text, const std::function<bool(std::u16string_view)>& fits) {
    if (fits(text)) return std::u16string(text);
    for (std::size_t n = text.size() - (text.empty() ? 0 : 1); n > 0; --n) {
        if (!breaksAfter(text, n)) continue;
        std::u16string_view start = text.substr(0, n);
        while (!start.empty() && start.back() == u' ') start.remove_suffix(1);
        std::u16string candidate = std::u16string(start) + std::u16string(kEllipsis);
        if (!start.empty() && fits(candidate)) return candidate;
    }
    return std::u16string(kEllipsis);
}

}  // namespace tvr::ui
