// SPDX-License-Identifier: MIT
#pragma once
// The language the windows speak: Japanese on a Japanese system, English on any other, unless
// the command line's --language ja|en says otherwise. Chosen once, as the program starts.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tvr::ui {

enum class Language { Japanese, English };

/// The language a system language tag stands for ("ja_JP.UTF-8", "ja-JP", "ja" are Japanese;
/// anything else, an empty tag included, English).
Language languageOfSystemTag(std::string_view tag);
/// The language a --language value names ("ja" or "en"), or nothing for another value.
std::optional<Language> languageOfOption(std::string_view value);

/// Takes "--language VALUE" or "--language=VALUE" out of the arguments. The language named
/// goes to *chosen (left alone when the option is absent); false with a one-line message when
/// the value is missing or names no language.
bool takeLanguageOption(std::vector<std::string>& arguments, std::optional<Language>* chosen, std::string* error);

/// The option's language when given, else the system's.
inline Language chooseLanguage(std::optional<Language> option, std::string_view systemTag) {
    return option ? *option : languageOfSystemTag(systemTag);
}

}  // namespace tvr::ui
