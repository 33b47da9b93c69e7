// SPDX-License-Identifier: MIT
#pragma once
// The Windows private-profile functions (GetPrivateProfileStringW, WritePrivateProfileStringW)
// on every platform: sections and keys are case-insensitive, names and values are trimmed,
// one pair of enclosing quotes is stripped on read, new sections and keys are appended in
// order, a UTF-16LE file stays UTF-16LE (a UTF-8 or ANSI file stays UTF-8), and every write
// goes through a temporary file and an atomic rename.
#include <span>
#include <string>
#include <string_view>

namespace tvr::platform {

/// Reads a key; `fallback` when the file, section or key is missing.
std::u16string iniReadString(std::u16string_view file, std::u16string_view section, std::u16string_view key,
                             std::u16string_view fallback);
/// Writes a key, creating the file (UTF-16LE with byte-order mark) and section when missing;
/// false for text the file's encoding cannot hold (an unpaired surrogate in a UTF-8 file).
bool iniWriteString(std::u16string_view file, std::u16string_view section, std::u16string_view key,
                    std::u16string_view value);

/// One key to write.
struct IniEntry {
    std::u16string_view section;
    std::u16string_view key;
    std::u16string_view value;
};
/// Writes the keys in order with one atomic replace: the file holds all of them or none.
bool iniWriteStrings(std::u16string_view file, std::span<const IniEntry> entries);

}  // namespace tvr::platform
