// SPDX-License-Identifier: MIT
#pragma once
// Text files as the system keeps them: written as UTF-8 or UTF-16LE with a byte-order mark and
// CR LF line ends; read as Windows editors write them, UTF-16BE included, with the byte-order
// mark skipped and CR LF, LF or a lone CR ending a line.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fs.h"

namespace tvr::platform {

enum class TextEncoding { Utf8, Utf16Le, Utf16Be };

/// Reads a whole text file as lines without their line ends; false when it cannot be opened.
/// The encoding follows the byte-order mark; without one the file is taken as UTF-8.
bool readTextLines(std::u16string_view path, std::vector<std::u16string>* lines);
/// As readTextLines, for a file of at most maxBytes; a larger one is not read (kTooLarge).
ReadStatus readTextLinesUpTo(std::u16string_view path, std::uint64_t maxBytes, std::vector<std::u16string>* lines);
/// Writes the lines, each ending in CR LF, with a byte-order mark, replacing the file atomically.
bool writeTextLines(std::u16string_view path, const std::vector<std::u16string>& lines, TextEncoding encoding);
/// Creates an empty text file (byte-order mark only), truncating an existing one.
bool createEmptyTextFile(std::u16string_view path, TextEncoding encoding);
/// Decodes file bytes to text: byte-order mark skipped, UTF-16LE or UTF-16BE after its mark, else UTF-8.
std::u16string decodeText(std::string_view bytes, TextEncoding* detected = nullptr);
/// Encodes text with a byte-order mark.
std::string encodeText(std::u16string_view text, TextEncoding encoding);

}  // namespace tvr::platform
