// SPDX-License-Identifier: MIT
#pragma once
// Short English glosses of the Japanese status texts, for readers of the console.
#include <cstdint>
#include <string>
#include <string_view>

namespace tvr::protocol {

/// The English meaning of a status event; empty for codes without Japanese text.
std::u16string statusGloss(std::int32_t code, std::u16string_view text1, std::u16string_view text2);
/// True when the locale variables (LC_ALL, then LC_MESSAGES, then LANG; null when unset) ask for Japanese.
bool japaneseLocale(const char* lcAll, const char* lcMessages, const char* lang);

}  // namespace tvr::protocol
