// SPDX-License-Identifier: MIT
#pragma once
// The tagged message syntax: "#NAME(<key>value,<key2>\"text\")". Names are tested as prefixes,
// each key is found by plain search anywhere in the text, values are read right after it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tvr::protocol {

/// True when text begins with name (case-sensitive).
bool messageIs(std::u16string_view text, std::u16string_view name);
/// The position just after the first occurrence of key, or npos.
std::size_t findKey(std::u16string_view text, std::u16string_view key);
/// The 32-bit integer after the key (wcstol rules, clamped); nullopt when the key is missing.
std::optional<std::int32_t> intAfterKey(std::u16string_view text, std::u16string_view key);
/// The 64-bit integer after the key; nullopt when the key is missing.
std::optional<std::int64_t> int64AfterKey(std::u16string_view text, std::u16string_view key);
/// The double-quoted text after the key (see quotedAt); nullopt when the key is missing.
std::optional<std::u16string> quotedAfterKey(std::u16string_view text, std::u16string_view key);
/// Skips to the first '"', takes everything up to the next '"' (or the end of the text).
std::u16string quotedAt(std::u16string_view text, std::size_t position);
/// An indexed key such as "<type.%d>" filled with the index.
std::u16string indexedKey(std::u16string_view format, int index);

}  // namespace tvr::protocol
