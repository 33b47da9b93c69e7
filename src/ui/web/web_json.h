// SPDX-License-Identifier: MIT
#pragma once
// The few pieces of JSON the page's server writes: quoted strings with every character that
// could end them escaped, in UTF-8.
#include <string>
#include <string_view>

namespace tvr::ui::web {

/// The text as a JSON string literal (quotes included); "<" is escaped too.
std::string jsonString(std::u16string_view text);
/// The UTF-8 text as a JSON string literal.
std::string jsonString(std::string_view utf8);

}  // namespace tvr::ui::web
