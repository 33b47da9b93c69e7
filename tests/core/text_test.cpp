// SPDX-License-Identifier: MIT
#include "core/text.h"

#include <gtest/gtest.h>

#include <limits>

namespace tvr::core {
namespace {

using Args = std::initializer_list<FormatArg>;
using Sv = std::u16string_view;

TEST(FormatTest, PadsTextToTheLeftInSixteenUnits) {
    EXPECT_EQ(format(u"%-16s, %s", Args{Sv(u"START"), Sv(u"x")}), u"START           , x");
    EXPECT_EQ(format(u"%-16s|", Args{Sv(u"ERROR:MOVE_FILE_LONG")}), u"ERROR:MOVE_FILE_LONG|");
}

TEST(FormatTest, KeepsJapaneseTextAndCountsCodeUnits) {
    EXPECT_EQ(format(u"切断(%s)", Args{Sv(u"無通信:120秒")}), u"切断(無通信:120秒)");
    EXPECT_EQ(format(u"%-6s|", Args{Sv(u"接続中")}), u"接続中   |");
}

TEST(FormatTest, FormatsHexWithZeroPadding) {
    EXPECT_EQ(format(u"code=0x%04X", Args{std::int64_t{1}}), u"code=0x0001");
    EXPECT_EQ(format(u"%04X", Args{std::int64_t{0xABCDE}}), u"ABCDE");
    EXPECT_EQ(format(u"%x", Args{std::int64_t{255}}), u"ff");
    EXPECT_EQ(format(u"%X", Args{std::int64_t{-1}}), u"FFFFFFFF");
}

TEST(FormatTest, RightAlignsAndZeroPadsDecimals) {
    EXPECT_EQ(format(u"%8d", Args{std::int64_t{10}}), u"      10");
    EXPECT_EQ(format(u"%8d", Args{std::int64_t{-3}}), u"      -3");
    EXPECT_EQ(format(u"%04d-%02d", Args{std::int64_t{2024}, std::int64_t{7}}), u"2024-07");
    EXPECT_EQ(format(u"%05d", Args{std::int64_t{-42}}), u"-0042");
    EXPECT_EQ(format(u"%-5d|", Args{std::int64_t{7}}), u"7    |");
    EXPECT_EQ(format(u"%u", Args{std::int64_t{-1}}), u"4294967295");
}

TEST(FormatTest, SixtyFourBitPrefixesKeepTheWholeValue) {
    const std::int64_t big = 5000000000LL;
    EXPECT_EQ(format(u"%I64d", Args{big}), u"5000000000");
    EXPECT_EQ(format(u"%lld", Args{std::numeric_limits<std::int64_t>::min()}), u"-9223372036854775808");
    EXPECT_EQ(format(u"%d", Args{big}), u"705032704");  // without a prefix the value is a 32-bit int
}

TEST(FormatTest, PercentMissingAndMistypedArguments) {
    EXPECT_EQ(format(u"100%%", {}), u"100%");
    EXPECT_EQ(format(u"a%sb%dc", {}), u"abc");
    EXPECT_EQ(format(u"[%d][%s]", Args{Sv(u"text"), std::int64_t{5}}), u"[][]");
    EXPECT_EQ(format(u"%q%d", Args{std::int64_t{1}}), u"%q1");
    EXPECT_EQ(format(u"end%", {}), u"end%");
}

TEST(ScanTest, Int32ReadsSignsAndBlanks) {
    EXPECT_EQ(scanInt32(u"  -3"), -3);
    EXPECT_EQ(scanInt32(u"+12000x"), 12000);
    EXPECT_EQ(scanInt32(u"abc"), 0);
    EXPECT_EQ(scanInt32(u""), 0);
    std::size_t end = 99;
    EXPECT_EQ(scanInt32(u"\t42 rest", &end), 42);
    EXPECT_EQ(end, 3u);
    EXPECT_EQ(scanInt32(u"-", &end), 0);
    EXPECT_EQ(end, 0u);
}

TEST(ScanTest, Int32ClampsToItsRange) {
    EXPECT_EQ(scanInt32(u"2147483647"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(scanInt32(u"2147483648"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(scanInt32(u"-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(scanInt32(u"-99999999999999999999"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(scanInt64(u"9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(scanInt64(u"99999999999999999999999"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(scanInt64(u"-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(scanInt64(u"-99999999999999999999999"), std::numeric_limits<std::int64_t>::min());
}

TEST(ScanTest, Int64AndDecimal) {
    EXPECT_EQ(scanInt64(u"5000000000"), 5000000000LL);
    EXPECT_EQ(scanInt64(u"99999999999999999999"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(scanInt64(u"-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    std::int64_t value = 7;
    EXPECT_FALSE(scanDecimal(u"abc", &value));
    EXPECT_EQ(value, 7);
    EXPECT_FALSE(scanDecimal(u" -", &value));
    EXPECT_TRUE(scanDecimal(u" -0", &value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(scanDecimal(u"12abc", &value));
    EXPECT_EQ(value, 12);
}

TEST(StorableLineTest, RefusesLineBreaksNulAndUnpairedSurrogates) {
    struct Case {
        std::u16string text;
        bool storable;
    };
    const Case cases[] = {
        {u"", true},
        {u"D:/Movies/Trip.mp4", true},
        {u"D:/\u65C5/\U0001F3AC.mp4", true},  // a surrogate pair
        {u"a\r\n#end", false},
        {u"a\rb", false},
        {u"a\nb", false},
        {std::u16string(u"a\0b", 3), false},
        {u"a\xD83C"
         u"b",
         false},                   // high surrogate without its low half
        {u"a\xDFAC", false},       // low surrogate alone
        {u"a\xD83C", false},       // high surrogate at the end
        {u"\xDFAC\xD83C", false},  // the halves in the wrong order
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isStorableLine(c.text), c.storable) << platform::toUtf8(c.text);
    }
}

TEST(LowerTest, LowersTheSupportedScripts) {
    EXPECT_EQ(toLower(u"A.MP4"), u"a.mp4");
    EXPECT_EQ(toLower(u"ÀÉÖ×Þ"), u"àéö×þ");
    EXPECT_EQ(toLower(u"ΑΩΆΏ"), u"αωάώ");
    EXPECT_EQ(toLower(u"ЖЯЁ"), u"жяё");
    EXPECT_EQ(toLower(u"ＭＰ４"), u"ｍｐ４");
    EXPECT_EQ(toLower(u"動画.mp4"), u"動画.mp4");
}

}  // namespace
}  // namespace tvr::core
