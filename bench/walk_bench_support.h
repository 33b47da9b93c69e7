// SPDX-License-Identifier: MIT
#pragma once
// Timing helpers the walk benches share: durations in ms, medians, a shell command timed with
// its output discarded, and what /proc tells of the server process (peak memory, threads, the
// processor time it used).
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tvr::bench {

using Clock = std::chrono::steady_clock;

inline double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

/// The middle value (the upper one of an even count); -1 when there is none.
inline double median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

/// Runs a shell command with its output thrown away: its time in ms, or -1 when it failed.
inline double timeShell(const std::string& command) {
    const auto start = Clock::now();
    if (std::system((command + " >/dev/null").c_str()) != 0) return -1;
    return ms(Clock::now() - start);
}

/// A numeric field of /proc/<pid>/status ("VmHWM:", "Threads:"); -1 when missing.
inline long statusField(pid_t pid, const char* field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    const std::string name(field);
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(name)) return std::atol(line.c_str() + name.size());
    }
    return -1;
}

/// The processor time the process used so far, user and system together, in ms (the
/// kernel counts it in clock ticks); -1 when unknown.
inline double processorMs(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The command name in parentheses may hold blanks: the fields count from its end.
    const std::size_t end = text.rfind(')');
    if (end == std::string::npos) return -1;
    std::vector<std::string> fields;
    std::string field;
    for (std::size_t i = end + 2; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ' ') {
            fields.push_back(field);
            field.clear();
        } else {
            field += text[i];
        }
    }
    // After the name: state (3), ..., utime (14), stime (15).
    constexpr std::size_t kUserTime = 14 - 3;
    if (fields.size() <= kUserTime + 1) return -1;
    const double ticks = std::atof(fields[kUserTime].c_str()) + std::atof(fields[kUserTime + 1].c_str());
    return ticks * 1000.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

}  // namespace tvr::bench
