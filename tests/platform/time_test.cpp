// SPDX-License-Identifier: MIT
#include "platform/time.h"

#include <gtest/gtest.h>

#include <chrono>

namespace tvr::platform {
namespace {

TEST(FileTime, CountsHundredsOfNanosecondsSince1601) {
    EXPECT_EQ(fileTimeFromUnix(0, 0), 116444736000000000LL);
    EXPECT_EQ(fileTimeFromUnix(1, 999), 116444736000000000LL + 10000000 + 9);
    EXPECT_EQ(fileTimeFromUnix(-11644473600LL, 0), 0);
}

TEST(FileTime, TheCurrentTimeConvertsToTheCurrentLocalTime) {
    using namespace std::chrono;
    LocalTime before = nowLocal();
    auto seconds = duration_cast<std::chrono::seconds>(system_clock::now().time_since_epoch()).count();
    LocalTime converted;
    ASSERT_TRUE(fileTimeToLocal(fileTimeFromUnix(seconds, 0), &converted));
    LocalTime after = nowLocal();
    // Either reading may fall on the other side of a minute boundary, never both.
    auto minutes = [](const LocalTime& t) {
        return ((t.year * 400 + t.month * 31 + t.day) * 24 + t.hour) * 60 + t.minute;
    };
    EXPECT_TRUE(minutes(converted) == minutes(before) || minutes(converted) == minutes(after));
}

TEST(FileTime, ZeroIsUnknown) {
    LocalTime local;
    EXPECT_FALSE(fileTimeToLocal(0, &local));
    EXPECT_FALSE(fileTimeToLocal(-5, &local));
}

TEST(Clock, NowIsAPlausibleLocalTime) {
    LocalTime now = nowLocal();
    EXPECT_GE(now.year, 2024);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    std::uint32_t first = monotonicMs();
    std::uint32_t second = monotonicMs();
    // Compared by unsigned subtraction, as every user of the tick does.
    EXPECT_LT(second - first, 60000u);
}

}  // namespace
}  // namespace tvr::platform
