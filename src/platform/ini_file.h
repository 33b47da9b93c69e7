// SPDX-License-Identifier: MIT
#pragma once
// The Windows private-profile functions (GetPrivateProfileStringW, WritePrivateProfileStringW)
// on every platform: sections and keys are case-insensitive, names and values are trimmed,
// one pair of enclosing quotes is stripped on read, new sections and keys are appended in
// order, a file keeps its encoding (UTF-16LE or UTF-16BE after its byte-order mark, else UTF-8
// or ANSI) and its line ends (CR LF, LF or CR), and every write goes through a temporary file
// and an atomic rename. Unlike Windows, a value that begins or ends with a blank or is itself in
// matching quotes is written in double quotes, so it reads back as it was written.
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tvr::platform {

/// An INI file's bytes in memory with the same reading and writing rules as the file functions.
class IniDocument {
public:
    /// A new file: UTF-16LE with its byte-order mark, nothing else.
    IniDocument();
    /// The bytes of an existing file (UTF-16LE or UTF-16BE after its mark, else UTF-8 or ANSI).
    explicit IniDocument(std::string bytes);
    ~IniDocument();
    IniDocument(const IniDocument&) = delete;
    IniDocument& operator=(const IniDocument&) = delete;

    /// Reads a key; `fallback` when the section or key is missing.
    std::u16string read(std::u16string_view section, std::u16string_view key, std::u16string_view fallback) const;
    /// Reads a key; nothing when the section or key is missing (an empty value is there).
    std::optional<std::u16string> find(std::u16string_view section, std::u16string_view key) const;
    /// Writes a key as iniWriteString does, in memory; false for refused text.
    bool write(std::u16string_view section, std::u16string_view key, std::u16string_view value);
    /// Writes a value aligned by leading blanks ("%8d") with its blanks bare: they read back trimmed.
    bool writeAligned(std::u16string_view section, std::u16string_view key, std::u16string_view value);
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

/// One key to write.
struct IniEntry {
    std::u16string_view section;
    std::u16string_view key;
    std::u16string_view value;
};
/// Writes the keys in order with one atomic replace: the file holds all of them or none.
bool iniWriteStrings(std::u16string_view file, std::span<const IniEntry> entries);

/// One read-modify-write of a file under that file's lock (one per resolved path, so threads
/// never lose each other's keys): edit gets the document (a new UTF-16LE one when the file is
/// missing) and says whether to keep it; the file is replaced once, atomically, when its bytes
/// changed. False when the file cannot be read, edit refuses, or the replace fails.
bool iniEdit(std::u16string_view file, const std::function<bool(IniDocument&)>& edit);

}  // namespace tvr::platform
