// SPDX-License-Identifier: MIT
#pragma once
// Text helpers on UTF-16 code units: lower-casing, printf-style formatting, number scanning,
// quoted values.
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/utf.h"

namespace tvr::core {

/// Lower-cases every code unit (ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic, full-width Latin).
std::u16string toLower(std::u16string_view text);

/// One argument of format(): an integer or a text.
using FormatArg = std::variant<std::int64_t, std::u16string_view>;

/// printf-style formatting for the system's formats: %d %u %x %X %s %% with flags '-' '0',
/// a width, and the length prefixes I64 and ll. Arguments are used in order; a missing or
/// mistyped argument formats as nothing.
std::u16string format(std::u16string_view pattern, std::initializer_list<FormatArg> args);

/// Reads a decimal integer like wcstol: leading blanks, optional sign, digits; none gives 0;
/// clamps to the 32-bit range. `end` (optional) receives the count of code units consumed.
std::int32_t scanInt32(std::u16string_view text, std::size_t* end = nullptr);
/// As scanInt32 with the 64-bit range.
std::int64_t scanInt64(std::u16string_view text, std::size_t* end = nullptr);
/// Scans like "%d": true only when at least one digit was found.
bool scanDecimal(std::u16string_view text, std::int64_t* value);

/// True when the text can stand as one line of a line-based file: no CR, LF or NUL, and no
/// unpaired surrogate (which a UTF-8 file cannot carry).
bool isStorableLine(std::u16string_view text);

/// The text between the first double quote after the first `marker` and the next double quote;
/// nothing without the marker or either quote.
std::optional<std::u16string> quotedAfter(std::u16string_view text, std::u16string_view marker);

/// Replaces every `from` code unit by `to`.
std::u16string replaceAll(std::u16string_view text, char16_t from, char16_t to);

}  // namespace tvr::core
