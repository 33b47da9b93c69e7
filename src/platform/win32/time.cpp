// SPDX-License-Identifier: MIT
// Monotonic ticks, local time and file times on Windows, where a file time is the native unit.
#include "platform/time.h"

#include "platform/win32/win_util.h"

namespace tvr::platform {

namespace {

constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600LL;
constexpr std::int64_t kTicksPerSecond = 10000000LL;

LocalTime fromSystemTime(const SYSTEMTIME& time) {
    LocalTime out;
    out.year = time.wYear;
    out.month = time.wMonth;
    out.day = time.wDay;
    out.hour = time.wHour;
    out.minute = time.wMinute;
    out.second = time.wSecond;
    return out;
}

}  // namespace

// GetTickCount wraps at 2^32 ms, exactly the tick the system expects.
std::uint32_t monotonicMs() { return static_cast<std::uint32_t>(::GetTickCount64()); }

LocalTime nowLocal() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return fromSystemTime(now);
}

bool fileTimeToLocal(FileTime time, LocalTime* out) {
    if (time <= 0) return false;
    FILETIME utc = win32::toFiletime(time);
    SYSTEMTIME universal{};
    SYSTEMTIME local{};
    // The zone's rules for that date (daylight saving then), as localtime does on POSIX.
    if (!::FileTimeToSystemTime(&utc, &universal) || !::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) {
        return false;
    }
    if (out != nullptr) *out = fromSystemTime(local);
    return true;
}

FileTime fileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds) {
    return (seconds + kSecondsFrom1601To1970) * kTicksPerSecond + nanoseconds / 100;
}

}  // namespace tvr::platform
