// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>

#include "platform/fs.h"

namespace tvr::platform {

/// Broken-down local time.
struct LocalTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

/// Milliseconds of a monotonic clock, wrapping at 2^32.
std::uint32_t monotonicMs();
/// The current local time.
LocalTime nowLocal();
/// Converts a file time to local time with the current time-zone rules; false for time 0 or out of range.
bool fileTimeToLocal(FileTime time, LocalTime* out);
/// Converts seconds and nanoseconds since the Unix epoch to a file time.
FileTime fileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds);

}  // namespace tvr::platform
