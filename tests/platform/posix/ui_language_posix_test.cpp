// SPDX-License-Identifier: MIT
// The user's interface language from the locale variables: the first of LC_ALL, LC_MESSAGES and
// LANG that is set and not empty.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>

#include "platform/ui_language.h"

namespace tvr::test {
namespace {

// Sets the locale variables for one case and puts back what was there.
class LocaleScope {
public:
    LocaleScope(const char* lcAll, const char* lcMessages, const char* lang) {
        for (auto [name, value] :
             {std::pair{"LC_ALL", lcAll}, std::pair{"LC_MESSAGES", lcMessages}, std::pair{"LANG", lang}}) {
            const char* before = getenv(name);
            saved_.emplace_back(name, before ? std::optional<std::string>(before) : std::nullopt);
            if (value) {
                setenv(name, value, 1);
            } else {
                unsetenv(name);
            }
        }
    }
    ~LocaleScope() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                setenv(name, value->c_str(), 1);
            } else {
                unsetenv(name);
            }
        }
    }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST(UiLanguagePosixTest, TheFirstLocaleVariableSetDecides) {
    struct Case {
        const char *lcAll, *lcMessages, *lang, *expected;
    };
    for (const Case& c :
         {Case{nullptr, nullptr, "ja_JP.UTF-8", "ja_JP.UTF-8"}, Case{"C.UTF-8", nullptr, "ja_JP.UTF-8", "C.UTF-8"},
          Case{"", "ja_JP.eucJP", "en_GB.UTF-8", "ja_JP.eucJP"}, Case{nullptr, "", "de_DE", "de_DE"},
          Case{nullptr, nullptr, nullptr, ""}}) {
        LocaleScope scope(c.lcAll, c.lcMessages, c.lang);
        EXPECT_EQ(platform::userInterfaceLanguage(), c.expected) << (c.lang ? c.lang : "(no LANG)");
    }
}

}  // namespace
}  // namespace tvr::test
