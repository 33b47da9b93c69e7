// SPDX-License-Identifier: MIT
#include "search/search_results.h"

#include <gtest/gtest.h>

#include <string>

namespace tvr::search {
namespace {

SearchRow row(int i) { return SearchRow{u"/v/" + std::u16string(1, static_cast<char16_t>(u'a' + i)) + u".mp4"}; }

// The cap holds by itself, whoever adds: a walk that did not stop at it still keeps no more rows.
TEST(SearchResults, KeepsNoRowBeyondItsCapAndReadsInWindows) {
    SearchResults results(3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(results.full());
        EXPECT_TRUE(results.add(row(i)));
    }
    EXPECT_TRUE(results.full());
    EXPECT_FALSE(results.add(row(3)));
    EXPECT_EQ(results.count(), 3);
    std::vector<SearchRow> rows = results.window(1, 40);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].path, row(1).path);
    EXPECT_EQ(rows[1].path, row(2).path);
    EXPECT_TRUE(results.window(-1, 2).empty());
    EXPECT_TRUE(results.window(0, 0).empty());

    results.clear();
    EXPECT_FALSE(results.full());
    EXPECT_TRUE(results.add(row(5)));
    EXPECT_EQ(results.count(), 1);
}

}  // namespace
}  // namespace tvr::search
