// SPDX-License-Identifier: MIT
#include "platform/time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

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

TEST(Clock, MonotonicTicksFollowTheSteadyClock) {
    using namespace std::chrono;
    const auto start = steady_clock::now();
    const std::uint32_t first = monotonicMs();
    std::this_thread::sleep_for(milliseconds(100));
    const std::uint32_t second = monotonicMs();
    const auto real = duration_cast<milliseconds>(steady_clock::now() - start).count();
    // Compared by unsigned subtraction, as every user of the tick does; Windows' tick moves in
    // steps of about 16 ms.
    EXPECT_GE(second - first, 80u);
    EXPECT_LE(second - first, static_cast<std::uint32_t>(real) + 32u);
}

}  // namespace
}  // namespace tvr::platform
