// SPDX-License-Identifier: MIT
#include "ui/language.h"

namespace tvr::ui {

Language languageOfSystemTag(std::string_view tag) {
    // "ja" alone or followed by a territory, an encoding or a modifier; "jam" is another language.
    constexpr std::string_view kJapanese = "ja";
    if (!tag.starts_with(kJapanese)) return Language::English;
    if (tag.size() == kJapanese.size()) return Language::Japanese;
    char next = tag[kJapanese.size()];
    return next == '_' || next == '-' || next == '.' || next == '@' ? Language::Japanese : Language::English;
}

std::optional<Language> languageOfOption(std::string_view value) {
    if (value == "ja") return Language::Japanese;
    if (value == "en") return Language::English;
    return std::nullopt;
}

bool takeLanguageOption(std::vector<std::string>& arguments, std::optional<Language>* chosen, std::string* error) {
    constexpr std::string_view kOption = "--language";
    for (std::size_t i = 0; i < arguments.size();) {
        const std::string& token = arguments[i];
        std::size_t taken = 0;
        std::string value;
        if (token == kOption) {
            if (i + 1 == arguments.size()) {
                *error = "--language needs ja or en";
                return false;
            }
            value = arguments[i + 1];
            taken = 2;
        } else if (token.starts_with(kOption) && token.size() > kOption.size() && token[kOption.size()] == '=') {
            value = token.substr(kOption.size() + 1);
            taken = 1;
        } else {
            ++i;
            continue;
        }
        std::optional<Language> language = languageOfOption(value);
        if (!language) {
            *error = "--language takes ja or en, not \"" + value + "\"";
            return false;
        }
        *chosen = language;
        arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(i),
                        arguments.begin() + static_cast<std::ptrdiff_t>(i + taken));
    }
    return true;
}

}  // namespace tvr::ui
