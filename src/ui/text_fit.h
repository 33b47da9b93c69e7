// SPDX-License-Identifier: MIT
#pragma once
// Cutting a text to the room a window gives it without cutting a word in two.
#include <functional>
#include <string>
#include <string_view>

namespace tvr::ui {

/// The text when fits() accepts it; otherwise its longest start that ends between words (after a
/// space, or beside a character outside ASCII, where Japanese text may break) followed by "…"
/// and accepted by fits(); "…" alone when no start is.
std::u16string fitAtWord(std::u16string_view text, const std::function<bool(std::u16string_view)>& fits);

}  // namespace tvr::ui
