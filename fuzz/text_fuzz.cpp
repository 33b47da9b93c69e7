// SPDX-License-Identifier: MIT
// File text decoding on any bytes, the encode/decode round trip for text that every encoding
// can hold, and the line-field and path splitters on any UTF-16 text.
#include <cstdlib>
#include <string>

#include "core/paths.h"
#include "fuzz_support.h"
#include "platform/text_file.h"

namespace {

using namespace tvr;

void check(bool condition) {
    if (!condition) std::abort();
}

bool isSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

// Text without unpaired surrogates, which UTF-8 can carry unchanged.
bool isWellFormed(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] >= 0xD800 && text[i] <= 0xDBFF) {
            if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
            ++i;
        } else if (text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

void checkDecoding(std::string_view bytes) {
    platform::TextEncoding detected = platform::TextEncoding::Utf8;
    std::u16string text = platform::decodeText(bytes, &detected);
    if (detected == platform::TextEncoding::Utf16Le) {
        check(bytes.starts_with("\xFF\xFE") && text.size() == (bytes.size() - 2) / 2);
    } else if (detected == platform::TextEncoding::Utf16Be) {
        check(bytes.starts_with("\xFE\xFF") && text.size() == (bytes.size() - 2) / 2);
    } else {
        check(isWellFormed(text) && text.size() <= bytes.size());
    }
}

void checkRoundTrip(std::u16string_view text) {
    std::u16string back;
    platform::TextEncoding detected = platform::TextEncoding::Utf8;
    back = platform::decodeText(platform::encodeText(text, platform::TextEncoding::Utf16Le), &detected);
    check(back == text && detected == platform::TextEncoding::Utf16Le);
    back = platform::decodeText(platform::encodeText(text, platform::TextEncoding::Utf16Be), &detected);
    check(back == text && detected == platform::TextEncoding::Utf16Be);
    if (!isWellFormed(text)) return;
    back = platform::decodeText(platform::encodeText(text, platform::TextEncoding::Utf8), &detected);
    check(back == text && detected == platform::TextEncoding::Utf8);
}

void checkLineFields(std::u16string_view line, int n) {
    std::u16string field;
    std::ptrdiff_t end = core::getLineField(&field, line, n);
    check(end >= -1 && end <= static_cast<std::ptrdiff_t>(line.size()));
    if (end < 0) check(field.empty());
    check(field.size() <= line.size() && field.find(u'"') == std::u16string::npos);
    // The field's characters come from the line in order before the returned offset.
    if (end >= 0) check(field.size() <= static_cast<std::size_t>(end));
}

void checkSplit(std::u16string_view path) {
    core::SplitResult parts = core::splitPath(path);
    check(parts.nameWithExt == parts.name + parts.ext);
    check(parts.ext.empty() || parts.ext.front() == u'.');
    for (char16_t c : parts.nameWithExt) check(!isSeparator(c));
    check(parts.folder.size() <= path.size());
    check(path.ends_with(parts.nameWithExt));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    std::uint8_t mode = input.byte();
    std::string_view bytes = input.rest();
    checkDecoding(bytes);
    fuzz::Input again(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    std::u16string text = again.units(bytes.size() / 2);
    checkRoundTrip(text);
    checkLineFields(text, mode % 5);
    checkSplit(text);
    return 0;
}
