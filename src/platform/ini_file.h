// SPDX-License-Identifier: MIT
#pragma once
// The Windows private-profile functions (GetPrivateProfileStringW, WritePrivateProfileStringW)
// on every platform: sections and keys are case-insensitive, names and values are trimmed,
// one pair of enclosing quotes is stripped on read, new sections and keys are appended in
// order, a UTF-16LE file stays UTF-16LE (a UTF-8 or ANSI file stays UTF-8), and every write
// goes through a temporary file and an atomic rename.
#include <memory>
#include <string>
#include <string_view>

namespace tvr::platform {

/// An INI file's bytes in memory with the same reading and writing rules as the file functions.
class IniDocument {
public:
    /// A new file: UTF-16LE with its byte-order mark, nothing else.
    IniDocument();
    /// The bytes of an existing file (UTF-16LE after its mark, else UTF-8 or ANSI).
    explicit IniDocument(std::string bytes);
    ~IniDocument();
    IniDocument(const IniDocument&) = delete;
    IniDocument& operator=(const IniDocument&) = delete;

    /// Reads a key; `fallback` when the section or key is missing.
    std::u16string read(std::u16string_view section, std::u16string_view key, std::u16string_view fallback) const;
    /// Writes a key as iniWriteString does, in memory; false for refused text.
    bool write(std::u16string_view section, std::u16string_view key, std::u16string_view value);
    /// The file's bytes with every write so far.
    const std::string& bytes() const;

    struct Text;

private:
    std::unique_ptr<Text> text_;
};

/// Reads a key; `fallback` when the file, section or key is missing.
std::u16string iniReadString(std::u16string_view file, std::u16string_view section, std::u16string_view key,
                             std::u16string_view fallback);
/// Writes a key, creating the file (UTF-16LE with byte-order mark) and section when missing;
/// false for text the file's encoding cannot hold (an unpaired surrogate in a UTF-8 file).
bool iniWriteString(std::u16string_view file, std::u16string_view section, std::u16string_view key,
                    std::u16string_view value);

}  // namespace tvr::platform
