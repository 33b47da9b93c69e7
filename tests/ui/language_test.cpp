// SPDX-License-Identifier: MIT
// The windows' language: from the system's tag or --language, and the two tables of window
// texts that serve both desktop programs.
#include "ui/language.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ui/window_texts.h"

namespace tvr::test {
namespace {

using ui::Language;

TEST(LanguageTest, OnlyAJapaneseSystemGetsJapanese) {
    struct Case {
        const char* tag;
        Language language;
    };
    for (const Case& c :
         {Case{"ja_JP.UTF-8", Language::Japanese}, Case{"ja-JP", Language::Japanese}, Case{"ja", Language::Japanese},
          Case{"ja_JP@cjknarrow", Language::Japanese}, Case{"ja@cjknarrow", Language::Japanese},
          Case{"ja.UTF-8", Language::Japanese}, Case{"jam_JM", Language::English},
          Case{"en_US.UTF-8", Language::English}, Case{"de-DE", Language::English}, Case{"C", Language::English},
          Case{"POSIX", Language::English}, Case{"", Language::English}}) {
        EXPECT_EQ(ui::languageOfSystemTag(c.tag), c.language) << c.tag;
        EXPECT_EQ(ui::chooseLanguage(std::nullopt, c.tag), c.language) << c.tag;
    }
    EXPECT_EQ(ui::chooseLanguage(Language::English, "ja_JP.UTF-8"), Language::English) << "the option wins";
    EXPECT_EQ(ui::chooseLanguage(Language::Japanese, "en_US.UTF-8"), Language::Japanese);
}

TEST(LanguageTest, TheOptionIsTakenOutOfTheCommandLine) {
    struct Case {
        std::vector<std::string> arguments;
        bool ok;
        std::optional<Language> language;
        std::vector<std::string> left;
    };
    const Case cases[] = {
        {{"--data-dir", "d"}, true, std::nullopt, {"--data-dir", "d"}},
        {{"--language", "en", "--data-dir", "d"}, true, Language::English, {"--data-dir", "d"}},
        {{"-platform", "offscreen", "--language=ja"}, true, Language::Japanese, {"-platform", "offscreen"}},
        {{"--language=ja", "--language", "en"}, true, Language::English, {}},
        {{"--language"}, false, std::nullopt, {}},
        {{"--language", "fr"}, false, std::nullopt, {}},
        {{"--language="}, false, std::nullopt, {}},
        {{"--languages", "en"}, true, std::nullopt, {"--languages", "en"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        std::optional<Language> language;
        std::string error;
        EXPECT_EQ(ui::takeLanguageOption(arguments, &language, &error), c.ok) << c.arguments.back();
        EXPECT_EQ(language, c.language) << c.arguments.back();
        if (c.ok) {
            EXPECT_EQ(arguments, c.left);
        } else {
            EXPECT_NE(error.find("--language"), std::string::npos) << error;
        }
    }
}

// True when the text holds kana, kanji or full-width forms.
bool hasJapanese(std::u16string_view text) {
    return std::any_of(text.begin(), text.end(), [](char16_t c) {
        return (c >= 0x3000 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFFEF);
    });
}

// The "%d" and "%s" of a format, in order.
std::u16string placeholders(std::u16string_view text) {
    std::u16string marks;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'%') marks += text[++i];
    }
    return marks;
}

TEST(LanguageTest, EveryWindowTextHasBothLanguagesWithTheSameArguments) {
    for (int value = 0; value <= static_cast<int>(ui::TextId::TypeFavoriteList); ++value) {
        auto id = static_cast<ui::TextId>(value);
        ui::setTextLanguage(Language::Japanese);
        std::u16string japanese(ui::text(id));
        ui::setTextLanguage(Language::English);
        std::u16string english(ui::text(id));
        EXPECT_FALSE(japanese.empty()) << value;
        EXPECT_FALSE(english.empty()) << value;
        EXPECT_FALSE(hasJapanese(english)) << value;
        EXPECT_EQ(placeholders(japanese), placeholders(english)) << value;
    }
    ui::setTextLanguage(Language::Japanese);
    EXPECT_EQ(ui::text(ui::TextId::TrayQuit), u"終了(&Q)");
}

}  // namespace
}  // namespace tvr::test
