// SPDX-License-Identifier: MIT
// Text files in UTF-8 or UTF-16LE: the encoding follows the byte-order mark on read, and every
// write carries a mark and CR LF line ends, as the runtime library's text mode produced them.
#include "platform/text_file.h"

#include <limits>

#include "platform/fs.h"
#include "platform/utf.h"

namespace tvr::platform {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";

void appendUtf16Le(std::string& out, std::u16string_view text) {
    for (char16_t unit : text) {
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>(unit >> 8));
    }
}

}  // namespace

std::u16string decodeText(std::string_view bytes, TextEncoding* detected) {
    if (bytes.starts_with(kUtf16LeBom)) {
        if (detected != nullptr) *detected = TextEncoding::Utf16Le;
        std::u16string text;
        // An odd trailing byte cannot form a code unit and is dropped.
        std::size_t units = (bytes.size() - kUtf16LeBom.size()) / 2;
        text.reserve(units);
        for (std::size_t i = 0; i < units; ++i) {
            auto low = static_cast<unsigned char>(bytes[kUtf16LeBom.size() + 2 * i]);
            auto high = static_cast<unsigned char>(bytes[kUtf16LeBom.size() + 2 * i + 1]);
            text.push_back(static_cast<char16_t>(low | (high << 8)));
        }
        return text;
    }
    if (detected != nullptr) *detected = TextEncoding::Utf8;
    if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
    return platform::fromUtf8(bytes);
}

std::string encodeText(std::u16string_view text, TextEncoding encoding) {
    std::string out;
    if (encoding == TextEncoding::Utf16Le) {
        out.reserve(kUtf16LeBom.size() + 2 * text.size());
        out.append(kUtf16LeBom);
        appendUtf16Le(out, text);
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
        std::size_t end = text.find(u'\n', start);
        std::size_t next = end == std::u16string::npos ? text.size() : end + 1;
        if (end == std::u16string::npos) {
            end = text.size();
        } else if (end > start && text[end - 1] == u'\r') {
            --end;
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
