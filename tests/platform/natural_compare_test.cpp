// SPDX-License-Identifier: MIT
#include "platform/natural_compare.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tvr::platform {
namespace {

bool less(std::u16string_view a, std::u16string_view b) { return portableNaturalCompare(a, b) < 0; }

// What every backend's naturalCompare does, StrCmpLogicalW included.
TEST(NaturalCompareBackend, OrdersNamesAsExplorerDoes) {
    const std::vector<std::u16string> ascending = {u"",           u"1",           u"2",           u"10",     u"a",
                                                   u"a2",         u"A10",         u"b",           u"Disc 2", u"disc 10",
                                                   u"file 9.mp4", u"File 10.mp4", u"\u6620\u753B"};
    for (std::size_t i = 0; i + 1 < ascending.size(); ++i) {
        EXPECT_LT(naturalCompare(ascending[i], ascending[i + 1]), 0) << i;
        EXPECT_GT(naturalCompare(ascending[i + 1], ascending[i]), 0) << i;
        EXPECT_EQ(naturalCompare(ascending[i], ascending[i]), 0) << i;
    }
}

// The project's own comparator, in detail; on Windows it is also checked against StrCmpLogicalW.
TEST(NaturalCompare, DigitRunsCompareByValue) {
    EXPECT_TRUE(less(u"a9", u"a10"));
    EXPECT_TRUE(less(u"file2", u"file10"));
    EXPECT_TRUE(less(u"Disc 2", u"Disc 10"));
    EXPECT_TRUE(less(u"v1.9.mp4", u"v1.10.mp4"));
    EXPECT_TRUE(less(u"x123456789012345678901234567890", u"x123456789012345678901234567891"));
    EXPECT_TRUE(less(u"x99999999999999999999999", u"x100000000000000000000000"));
    EXPECT_GT(portableNaturalCompare(u"a10", u"a9"), 0);
}

TEST(NaturalCompare, CaseIsIgnoredBeforeTies) {
    EXPECT_TRUE(less(u"A1", u"a9"));
    EXPECT_TRUE(less(u"disc 1", u"Disc 2"));
    EXPECT_TRUE(less(u"apple", u"Banana"));
    EXPECT_TRUE(less(u"\u00E9t\u00E9 1", u"\u00C9T\u00C9 2"));
}

TEST(NaturalCompare, DigitsSortBeforeLettersAndPunctuationByCodeUnit) {
    EXPECT_TRUE(less(u"9", u"a"));
    EXPECT_TRUE(less(u"a1", u"aa"));
    EXPECT_TRUE(less(u"a-", u"a1"));
    EXPECT_TRUE(less(u"a1", u"a_"));
    EXPECT_TRUE(less(u"a", u"a1"));
}

TEST(NaturalCompare, CaseOnlyDifferencesAreEqualWhileLeadingZerosStillDecide) {
    EXPECT_EQ(portableNaturalCompare(u"Same 01", u"Same 01"), 0);
    EXPECT_EQ(portableNaturalCompare(u"", u""), 0);
    EXPECT_EQ(portableNaturalCompare(u"ABC", u"abc"), 0);
    EXPECT_EQ(portableNaturalCompare(u"Disc 10.MP4", u"disc 10.mp4"), 0);
    EXPECT_EQ(portableNaturalCompare(u"\u00C9T\u00C9", u"\u00E9t\u00E9"), 0);
    EXPECT_TRUE(less(u"a1", u"a01"));
    EXPECT_TRUE(less(u"a001a", u"a01b"));
    EXPECT_TRUE(less(u"a01b", u"a001b"));
    EXPECT_TRUE(less(u"a1b", u"A01b"));
    EXPECT_TRUE(less(u"A1b", u"a01B"));
}

TEST(NaturalCompare, NamesSharingTheirStartPartInsideANumberOrAfterIt) {
    const struct {
        const char16_t* a;
        const char16_t* b;
        int order;
    } cases[] = {
        {u"Episode 12 title", u"Episode 123 title", -1},
        {u"ab12x", u"ab123", -1},
        {u"Ep 10", u"Ep 010", -1},
        {u"Ep 010", u"Ep 10", 1},
        {u"x19", u"x2", 1},
        {u"a01b2", u"a01b02", -1},
        {u"Show 7a", u"Show 7A", 0},
        {u"Show 7", u"Show 7 ", -1},
        {u"12", u"9", 1},
        {u"a007", u"a07", 1},
    };
    for (const auto& c : cases) {
        const int order = portableNaturalCompare(c.a, c.b);
        EXPECT_EQ((order > 0) - (order < 0), c.order) << std::u16string(c.a).size();
        const int reverse = portableNaturalCompare(c.b, c.a);
        EXPECT_EQ((reverse > 0) - (reverse < 0), -c.order) << std::u16string(c.a).size();
    }
}

TEST(NaturalCompare, IsAStrictWeakOrderingOnACorpus) {
    const std::vector<std::u16string> corpus = {u"",
                                                u"a",
                                                u"A",
                                                u"a0",
                                                u"a00",
                                                u"a1",
                                                u"A1",
                                                u"a01",
                                                u"a001",
                                                u"a9",
                                                u"a10",
                                                u"a010",
                                                u"ab",
                                                u"aB",
                                                u"a b",
                                                u"a-1",
                                                u"a_1",
                                                u"a.1",
                                                u"a1b",
                                                u"a1B",
                                                u"a01b",
                                                u"a1b2",
                                                u"a1b10",
                                                u"a1b02",
                                                u"1",
                                                u"01",
                                                u"10",
                                                u"2a",
                                                u"Disc 1",
                                                u"disc 1",
                                                u"Disc 2",
                                                u"Disc 10",
                                                u"disc 010",
                                                u"file2",
                                                u"file10",
                                                u"File 2",
                                                u"\u00C9t\u00E9",
                                                u"\u00E9t\u00E9",
                                                u"\u6620\u753B1",
                                                u"\u6620\u753B2",
                                                u"z",
                                                u"Z9",
                                                u"~",
                                                u"a~",
                                                u"99999999999999999999",
                                                u"100000000000000000000",
                                                u"0099999999999999999999"};
    auto sign = [](int value) { return (value > 0) - (value < 0); };
    for (const auto& a : corpus) {
        EXPECT_FALSE(less(a, a));
        for (const auto& b : corpus) {
            int ab = portableNaturalCompare(a, b);
            EXPECT_EQ(sign(ab), -sign(portableNaturalCompare(b, a)));
            for (const auto& c : corpus) {
                if (less(a, b) && less(b, c)) {
                    EXPECT_TRUE(less(a, c)) << "transitivity";
                }
                // Equal names must form classes, or a sort may order them differently each time.
                if (ab == 0 && portableNaturalCompare(b, c) == 0) {
                    EXPECT_EQ(portableNaturalCompare(a, c), 0) << "transitivity of equality";
                }
            }
        }
    }
}

}  // namespace
}  // namespace tvr::platform
