// SPDX-License-Identifier: MIT
// Cutting status texts to their room: whole words or whole Japanese characters, then "…".
#include "ui/text_fit.h"

#include <gtest/gtest.h>

namespace tvr::test {
namespace {

TEST(TextFit, CutsBetweenWordsOnly) {
    struct Case {
        std::u16string text;
        std::size_t room;  // characters that fit
        std::u16string fitted;
    };
    const Case cases[] = {
        {u"fits whole", 10, u"fits whole"},
        {u"[Config] iPortHttp=21941 cannot be used (another program)", 40, u"[Config] iPortHttp=21941 cannot be used…"},
        {u"[Config] iPortHttp=21941 cannot be used (another program)", 30, u"[Config] iPortHttp=21941…"},
        {u"チャンネル2 のフォルダがありません", 8, u"チャンネル2…"},
        {u"チャンネル2", 4, u"チャン…"},
        {u"unbreakable", 5, u"…"},
        {u"", 0, u""},
    };
    for (const Case& c : cases) {
        auto fits = [&](std::u16string_view text) { return text.size() <= c.room; };
        EXPECT_EQ(ui::fitAtWord(c.text, fits), c.fitted) << c.room;
    }
}

}  // namespace
}  // namespace tvr::test
