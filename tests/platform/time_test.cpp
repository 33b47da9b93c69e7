// SPDX-License-Identifier: MIT
#include "platform/time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace tvr::platform {
namespace {

// Runs the body with TZ set, restoring the previous zone afterwards.
class TimeZone {
public:
    explicit TimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) previous_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZone() {
        if (previous_)
            setenv("TZ", previous_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> previous_;
};

TEST(FileTime, CountsHundredsOfNanosecondsSince1601) {
    EXPECT_EQ(fileTimeFromUnix(0, 0), 116444736000000000LL);
    EXPECT_EQ(fileTimeFromUnix(1, 999), 116444736000000000LL + 10000000 + 9);
    EXPECT_EQ(fileTimeFromUnix(-11644473600LL, 0), 0);
}

TEST(FileTime, ConvertsToLocalTimeWithTheZoneRules) {
    TimeZone zone("UTC0");
    LocalTime local;
    ASSERT_TRUE(fileTimeToLocal(fileTimeFromUnix(1700000000, 0), &local));
    EXPECT_EQ(local.year, 2023);
    EXPECT_EQ(local.month, 11);
    EXPECT_EQ(local.day, 14);
    EXPECT_EQ(local.hour, 22);
    EXPECT_EQ(local.minute, 13);
    EXPECT_EQ(local.second, 20);
    TimeZone tokyo("JST-9");
    ASSERT_TRUE(fileTimeToLocal(fileTimeFromUnix(1700000000, 0), &local));
    EXPECT_EQ(local.day, 15);
    EXPECT_EQ(local.hour, 7);
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
