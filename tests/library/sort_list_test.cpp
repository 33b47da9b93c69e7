// SPDX-License-Identifier: MIT
#include "library/sort_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/fs.h"
#include "platform/time.h"
#include "platform/utf.h"
#include "support/temp_folder.h"

namespace tvr::library {
namespace {

using Names = std::vector<std::string>;

// Unix seconds of local noon on the day that holds unixDay * 86400 + 12 h, so that a few hours
// either way stay on the same local day whatever the machine's time zone.
long long localNoon(long long unixDay) {
    long long seconds = unixDay * 86400 + 12 * 3600;
    platform::LocalTime local;
    if (platform::fileTimeToLocal(platform::fileTimeFromUnix(seconds, 0), &local)) {
        seconds -= (local.hour - 12) * 3600LL + local.minute * 60LL + local.second;
    }
    return seconds;
}

// Files with the given modification times, read back through the file system as a listing does.
class SortedFolder {
public:
    void add(const std::string& name, long long unixSeconds) {
        folder_.write(name, "x");
        test::setModificationTime(folder_.file(name), unixSeconds);
        platform::FileTime time = 0;
        ASSERT_TRUE(platform::fileWriteTime(folder_.file16(name), &time));
        sorter_.add(platform::fromUtf8(name), time);
    }
    Names sorted(std::int32_t key, std::int32_t mode, std::int32_t mode2nd) {
        sorter_.sort(key, mode, mode2nd);
        if (key != kSortByName) {
            sorter_.group();
        }
        return names();
    }
    Names names() const {
        Names out;
        for (std::size_t i = 0; i < sorter_.count(); ++i) out.push_back(platform::toUtf8(sorter_.get(i).name));
        return out;
    }
    SortList& sorter() { return sorter_; }

private:
    test::TempFolder folder_;
    SortList sorter_;
};

const long long kDay = localNoon(18000);  // a day in April 2019

TEST(SortListKeys, TimeKeysAreLocalDateDigitsAndDropMilliseconds) {
    SortList sorter;
    const long long seconds = localNoon(17970) + 3723;  // 15 March 2019, 13:02:03 local
    sorter.add(u"a.mp4", platform::fileTimeFromUnix(seconds, 999'000'000));
    sorter.add(u"b.mp4");
    ASSERT_EQ(sorter.count(), 2u);
    EXPECT_EQ(sorter.get(0).dateKey, 20190315);
    EXPECT_EQ(sorter.get(0).dateTimeKey, 20190315130203);
    EXPECT_EQ(sorter.get(0).groupId, 0);
    EXPECT_EQ(sorter.get(1).dateKey, 0);
    EXPECT_EQ(sorter.get(1).dateTimeKey, 0);
    sorter.clear();
    EXPECT_EQ(sorter.count(), 0u);
}

TEST(SortListKeys, NameOrderIsNaturalInBothDirections) {
    SortedFolder folder;
    folder.add("a10.mp4", kDay);
    folder.add("a9.mp4", kDay);
    folder.add("A1.mp4", kDay);
    EXPECT_EQ(folder.sorted(kSortByName, 1, 1), (Names{"A1.mp4", "a9.mp4", "a10.mp4"}));
    EXPECT_EQ(folder.sorted(kSortByName, 0, 1), (Names{"a10.mp4", "a9.mp4", "A1.mp4"}));
}

TEST(SortListKeys, NamesDifferingOnlyInCaseAreOrderedByDateTimeInTheSecondDirection) {
    SortedFolder folder;
    folder.add("Clip.mp4", kDay + 60);
    folder.add("clip.mp4", kDay);
    folder.add("b.mp4", kDay + 120);
    folder.add("CLIP.mp4", kDay + 30);
    EXPECT_EQ(folder.sorted(kSortByName, 1, 1), (Names{"b.mp4", "clip.mp4", "CLIP.mp4", "Clip.mp4"}));
    EXPECT_EQ(folder.sorted(kSortByName, 1, 0), (Names{"b.mp4", "Clip.mp4", "CLIP.mp4", "clip.mp4"}));
    EXPECT_EQ(folder.sorted(kSortByName, 0, 1), (Names{"clip.mp4", "CLIP.mp4", "Clip.mp4", "b.mp4"}));
}

// A listing by name reads no times; only names equal but for case get theirs afterwards, and a
// pair of them is ordered by time in either second direction, whatever order they came in.
TEST(SortListKeys, NameTiesSettledAfterTheSortAreOrderedByTime) {
    const platform::FileTime older = platform::fileTimeFromUnix(kDay, 0);
    const platform::FileTime newer = platform::fileTimeFromUnix(kDay + 60, 0);
    const auto writeTimeOf = [&](const std::u16string& name) { return name == u"clip.mp4" ? older : newer; };
    for (std::int32_t mode2nd : {1, 0}) {
        SCOPED_TRACE("second direction " + std::to_string(mode2nd));
        const Names expected =
            mode2nd != 0 ? Names{"b.mp4", "clip.mp4", "Clip.mp4"} : Names{"b.mp4", "Clip.mp4", "clip.mp4"};
        SortList sorter;
        for (const std::string& name : {expected[2], expected[0], expected[1]}) sorter.add(platform::fromUtf8(name));
        ASSERT_TRUE(sorter.sort(kSortByName, 1, mode2nd));
        sorter.settleNameTies(writeTimeOf);
        Names sorted;
        for (std::size_t i = 0; i < sorter.count(); ++i) sorted.push_back(platform::toUtf8(sorter.get(i).name));
        EXPECT_EQ(sorted, expected);
    }
}

TEST(SortListKeys, TimeDescendingIsNewestFirstWithNameTies) {
    SortedFolder folder;
    folder.add("old.mp4", kDay - 86400);
    folder.add("b.mp4", kDay);
    folder.add("a.mp4", kDay);
    folder.add("new.mp4", kDay + 86400);
    EXPECT_EQ(folder.sorted(kSortByTime, 0, 1), (Names{"new.mp4", "a.mp4", "b.mp4", "old.mp4"}));
    EXPECT_EQ(folder.sorted(kSortByTime, 0, 0), (Names{"new.mp4", "b.mp4", "a.mp4", "old.mp4"}));
}

// Records equal in both keys keep the order they were added in, the folder's enumeration order,
// across the sort's short runs and the merges between them. Names differing only in case are
// equal names; without a time both time keys are 0.
TEST(SortListKeys, EqualRecordsKeepTheirAddedOrderBeyondOneRun) {
    const std::string base = "episode";
    Names added;
    for (int i = 0; i < 100; ++i) {
        const int variant = i * 37 % 100;  // added in an order that is no code-unit order
        std::string name = base;
        for (std::size_t bit = 0; bit < base.size(); ++bit) {
            if (variant >> bit & 1) name[bit] = static_cast<char>(name[bit] - 'a' + 'A');
        }
        added.push_back(name + ".mp4");
    }
    for (std::int32_t key : {kSortByName, kSortByTime, kSortByDate}) {
        for (std::int32_t mode : {0, 1}) {
            SCOPED_TRACE("key " + std::to_string(key) + " mode " + std::to_string(mode));
            SortList sorter;
            for (const std::string& name : added) sorter.add(platform::fromUtf8(name));
            ASSERT_TRUE(sorter.sort(key, mode, mode));
            Names sorted;
            for (std::size_t i = 0; i < sorter.count(); ++i) sorted.push_back(platform::toUtf8(sorter.get(i).name));
            EXPECT_EQ(sorted, added);
        }
    }
}

TEST(SortListKeys, DateKeyIgnoresTimeOfDay) {
    SortedFolder folder;
    folder.add("b.mp4", kDay - 3 * 3600);
    folder.add("a.mp4", kDay + 3 * 3600);
    folder.add("c.mp4", kDay - 86400);
    EXPECT_EQ(folder.sorted(kSortByDate, 1, 1), (Names{"c.mp4", "a.mp4", "b.mp4"}));
    EXPECT_EQ(folder.sorted(kSortByDate, 0, 0), (Names{"b.mp4", "a.mp4", "c.mp4"}));
}

TEST(SortListGrouping, SeriesMovesToItsFirstMemberAndIsAscending) {
    SortedFolder folder;
    folder.add("Show#1.mp4", kDay - 86400);
    folder.add("Other.mp4", kDay);
    folder.add("Show#2.mp4", kDay + 86400);
    SortList& sorter = folder.sorter();
    sorter.sort(kSortByTime, 0, 1);
    EXPECT_EQ(folder.names(), (Names{"Show#2.mp4", "Other.mp4", "Show#1.mp4"}));
    sorter.group();
    EXPECT_EQ(folder.names(), (Names{"Show#1.mp4", "Show#2.mp4", "Other.mp4"}));
    EXPECT_EQ(sorter.get(0).groupId, sorter.get(1).groupId);
    EXPECT_NE(sorter.get(0).groupId, sorter.get(2).groupId);
}

TEST(SortListGrouping, HashWithoutDigitIsPlainAndEmptyPrefixJoinsFirstGroup) {
    SortedFolder folder;
    folder.add("Ep#a.mp4", kDay);
    folder.add("Ep#b.mp4", kDay);
    folder.add("Zed#1.mp4", kDay);
    folder.add("#5.mp4", kDay);
    folder.add("Middle.mp4", kDay);
    folder.add("Zed#2.mp4", kDay);
    EXPECT_EQ(folder.sorted(7, 1, 1),
              (Names{"Ep#a.mp4", "Ep#b.mp4", "#5.mp4", "Zed#1.mp4", "Zed#2.mp4", "Middle.mp4"}));
}

TEST(SortListGrouping, EmptyPrefixOpensAGroupWhenNoneExists) {
    SortedFolder folder;
    folder.add("Plain.mp4", kDay);
    folder.add("#2.mp4", kDay);
    folder.add("Other.mp4", kDay);
    folder.add("X#1.mp4", kDay);
    // "X#1" does not join: the representative "#2.mp4" does not start with "X".
    EXPECT_EQ(folder.sorted(7, 1, 1), (Names{"Plain.mp4", "#2.mp4", "Other.mp4", "X#1.mp4"}));
}

TEST(SortListGrouping, ShorterLaterPrefixJoinsLongerRepresentative) {
    SortedFolder folder;
    folder.add("AB#1.mp4", kDay);
    folder.add("Mid.mp4", kDay);
    folder.add("A#2.mp4", kDay);
    folder.add("ABC#3.mp4", kDay);
    // Only the later record's prefix counts: "A" matches "AB#1", "ABC" does not.
    EXPECT_EQ(folder.sorted(7, 1, 1), (Names{"A#2.mp4", "AB#1.mp4", "Mid.mp4", "ABC#3.mp4"}));
}

TEST(SortListGrouping, PrefixComparisonIsCaseSensitive) {
    SortedFolder folder;
    folder.add("show#1.mp4", kDay);
    folder.add("Mid.mp4", kDay);
    folder.add("Show#2.mp4", kDay);
    EXPECT_EQ(folder.sorted(7, 1, 1), (Names{"show#1.mp4", "Mid.mp4", "Show#2.mp4"}));
}

TEST(SortListGrouping, GroupKeyDescendingKeepsSeriesAscending) {
    SortedFolder folder;
    folder.add("Show#2.mp4", kDay);
    folder.add("alpha.mp4", kDay);
    folder.add("Show#10.mp4", kDay);
    folder.add("zulu.mp4", kDay);
    folder.add("Show#1.mp4", kDay);
    EXPECT_EQ(folder.sorted(kSortByGroup, 1, 0),
              (Names{"zulu.mp4", "Show#1.mp4", "Show#2.mp4", "Show#10.mp4", "alpha.mp4"}));
}

TEST(SortListGrouping, UnknownKeyKeepsAddOrderExceptSeries) {
    SortedFolder folder;
    folder.add("c.mp4", kDay);
    folder.add("T#3.mp4", kDay);
    folder.add("a.mp4", kDay);
    folder.add("T#1.mp4", kDay);
    folder.add("b.mp4", kDay);
    EXPECT_EQ(folder.sorted(7, 0, 0), (Names{"c.mp4", "T#1.mp4", "T#3.mp4", "a.mp4", "b.mp4"}));
    folder.sorter().sort(-1, 1, 1);
    EXPECT_EQ(folder.names(), (Names{"c.mp4", "T#1.mp4", "T#3.mp4", "a.mp4", "b.mp4"}));
}

TEST(SortListGrouping, OddNamesNeitherCrashNorLoseRecords) {
    SortList sorter;
    const std::vector<std::u16string> names = {u"", u"#", u"a#", u"#9", u"##1", u"9#9#9", u"x#1", u"X#1", u"#"};
    for (int key : {0, 1, 2, 3, 4, -5}) {
        sorter.clear();
        for (const auto& name : names) sorter.add(name);
        sorter.sort(key, key & 1, 0);
        sorter.group();
        std::vector<std::u16string> got;
        for (std::size_t i = 0; i < sorter.count(); ++i) got.push_back(sorter.get(i).name);
        std::vector<std::u16string> expected = names;
        std::sort(got.begin(), got.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(got, expected) << "key " << key;
    }
}

// A large folder is sorted in short runs merged pass by pass: every record ends in its place,
// in both directions, and a sort that is abandoned stops at its next step.
TEST(SortListLarge, RunsMergeIntoOneOrderAndAnAbandonedSortStops) {
    constexpr int kCount = 1000;
    std::vector<int> numbers(kCount);
    for (int i = 0; i < kCount; ++i) numbers[static_cast<std::size_t>(i)] = i;
    std::shuffle(numbers.begin(), numbers.end(), std::mt19937(7));
    SortList sorter;
    for (int number : numbers) sorter.add(platform::fromUtf8("clip" + std::to_string(number) + ".mp4"));
    auto misplaced = [&](bool ascending) {
        int count = 0;
        for (int i = 0; i < kCount; ++i) {
            int expected = ascending ? i : kCount - 1 - i;
            if (sorter.get(static_cast<std::size_t>(i)).name !=
                platform::fromUtf8("clip" + std::to_string(expected) + ".mp4"))
                ++count;
        }
        return count;
    };
    ASSERT_TRUE(sorter.sort(kSortByName, 1, 1));
    EXPECT_EQ(misplaced(true), 0);
    ASSERT_TRUE(sorter.sort(kSortByName, 0, 1));
    EXPECT_EQ(misplaced(false), 0);
    int questions = 0;
    EXPECT_FALSE(sorter.sort(kSortByName, 1, 1, [&] { return ++questions > 3; }));
    EXPECT_EQ(questions, 4);
    EXPECT_EQ(sorter.count(), static_cast<std::size_t>(kCount)) << "an abandoned sort loses no record";
}

TEST(SortFolderNames, NaturalAscendingWhateverTheCaseAndCaseTwinsByCodeUnit) {
    std::vector<std::u16string> names = {u"Disc 10", u"disc 2", u"disc 1", u"Disc 2", u"DISC 2"};
    sortFolderNames(names);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"disc 1", u"DISC 2", u"Disc 2", u"disc 2", u"Disc 10"}));
}

}  // namespace
}  // namespace tvr::library
