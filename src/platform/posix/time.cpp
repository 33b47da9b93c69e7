// SPDX-License-Identifier: MIT
// Monotonic ticks, local time and Windows file times on POSIX.
#include "platform/time.h"

#include <time.h>

#include <limits>

namespace tvr::platform {

namespace {

constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600LL;
constexpr std::int64_t kTicksPerSecond = 10000000LL;

LocalTime fromTm(const struct tm& tm) {
    LocalTime out;
    out.year = tm.tm_year + 1900;
    out.month = tm.tm_mon + 1;
    out.day = tm.tm_mday;
    out.hour = tm.tm_hour;
    out.minute = tm.tm_min;
    out.second = tm.tm_sec;
    return out;
}

bool localFromUnix(std::int64_t seconds, LocalTime* out) {
    if (seconds < std::numeric_limits<time_t>::min() || seconds > std::numeric_limits<time_t>::max()) return false;
    time_t value = static_cast<time_t>(seconds);
    struct tm tm {};
    if (::localtime_r(&value, &tm) == nullptr) return false;
    if (out != nullptr) *out = fromTm(tm);
    return true;
}

}  // namespace

std::uint32_t monotonicMs() {
    struct timespec ts {};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    // Unsigned arithmetic keeps the low 32 bits, so the tick wraps at 2^32 as the system expects.
    auto ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec / 1000000);
    return static_cast<std::uint32_t>(ms);
}

LocalTime nowLocal() {
    struct timespec ts {};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    LocalTime out;
    localFromUnix(ts.tv_sec, &out);
    return out;
}

bool fileTimeToLocal(FileTime time, LocalTime* out) {
    if (time <= 0) return false;
    // Floor division is not needed: positive file times give non-negative tick counts.
    std::int64_t seconds = time / kTicksPerSecond - kSecondsFrom1601To1970;
    return localFromUnix(seconds, out);
}

FileTime fileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds) {
    return (seconds + kSecondsFrom1601To1970) * kTicksPerSecond + nanoseconds / 100;
}

}  // namespace tvr::platform
