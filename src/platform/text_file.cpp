// SPDX-License-Identifier: MIT
// Text files in UTF-8, UTF-16LE or UTF-16BE: the encoding follows the byte-order mark on read,
// and every write carries a mark and CR LF line ends, as the runtime library's text mode
// produced them.
#include "platform/text_file.h"

#include <limits>

#include "platform/fs.h"
#include "platform/utf.h"

namespace tvr::platform {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

void appendUtf16(std::string& out, std::u16string_view text, bool littleEndian) {
    for (char16_t unit : text) {
        const auto low = static_cast<char>(unit & 0xFF);
        const auto high = static_cast<char>(unit >> 8);
        out.push_back(littleEndian ? low : high);
        out.push_back(littleEndian ? high : low);
    }
}

// The code units after a UTF-16 mark; an odd trailing byte cannot form one and is dropped.
std::u16string decodeUtf16(std::string_view bytes, bool littleEndian) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(static_cast<char16_t>(littleEndian ? first | (second << 8) : (first << 8) | second));
    }
    return text;
}

}  // namespace

std::u16string decodeText(std::string_view bytes, TextEncoding* detected) {
    for (auto [mark, encoding] :
         {std::pair{kUtf16LeBom, TextEncoding::Utf16Le}, std::pair{kUtf16BeBom, TextEncoding::Utf16Be}}) {
        if (!bytes.starts_with(mark)) continue;
        if (detected != nullptr) *detected = encoding;
        return decodeUtf16(bytes.substr(mark.size()), encoding == TextEncoding::Utf16Le);
    }
    if (detected != nullptr) *detected = TextEncoding::Utf8;
    if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
    return platform::fromUtf8(bytes);
}

std::string encodeText(std::u16string_view text, TextEncoding encoding) {
    std::string out;
    if (encoding != TextEncoding::Utf8) {
        const bool little = encoding == TextEncoding::Utf16Le;
        out.reserve(2 + 2 * text.size());
        out.append(little ? kUtf16LeBom : kUtf16BeBom);
        appendUtf16(out, text, little);
    } else {
        out.append(kUtf8Bom);
        out.append(platform::toUtf8(text));
    }
    return out;
}

bool readTextLines(std::u16string_view path, std::vector<std::u16string>* lines) {
    return readTextLinesUpTo(path, std::numeric_limits<std::uint64_t>::max(), lines) == ReadStatus::kRead;
}

ReadStatus readTextLinesUpTo(std::u16string_view path, std::uint64_t maxBytes, std::vector<std::u16string>* lines) {
    std::string bytes;
    if (lines == nullptr) return ReadStatus::kCannotRead;
    const ReadStatus status = readFileBytesUpTo(path, maxBytes, &bytes);
    if (status != ReadStatus::kRead) return status;
    std::u16string text = decodeText(bytes);
    lines->clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of(u"\r\n", start);
        std::size_t next = end;
        if (end == std::u16string::npos) {
            end = next = text.size();
        } else {
            next = end + (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? 2 : 1);
        }
        lines->emplace_back(text, start, end - start);
        start = next;
    }
    return ReadStatus::kRead;
}

bool writeTextLines(std::u16string_view path, const std::vector<std::u16string>& lines, TextEncoding encoding) {
    std::u16string text;
    for (const std::u16string& line : lines) {
        text += line;
        text += u"\r\n";
    }
    return writeFileAtomic(path, encodeText(text, encoding));
}

bool createEmptyTextFile(std::u16string_view path, TextEncoding encoding) {
    return writeFileAtomic(path, encodeText(std::u16string_view(), encoding));
}

}  // namespace tvr::platform
