// SPDX-License-Identifier: MIT
// Local time under chosen zone rules, which only POSIX lets a test pick (the TZ variable).
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "platform/time.h"

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

}  // namespace
}  // namespace tvr::platform
