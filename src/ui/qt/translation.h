// SPDX-License-Identifier: MIT
#pragma once
// The language of the Qt windows: the model's table and Qt's translator, chosen together.
#include "ui/language.h"

namespace tvr::ui::qt {

/// Speaks the language from now on: the window texts' table and, for English, the embedded
/// catalogue, for Japanese Qt's own catalogue where installed; false when English cannot be loaded.
bool useLanguage(Language language);

}  // namespace tvr::ui::qt
