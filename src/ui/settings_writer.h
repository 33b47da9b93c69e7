// SPDX-License-Identifier: MIT
#pragma once
// Writes the settings file and the window rectangles on a thread of its own, in the order they
// were asked for, so that a slow disk never holds a window's thread.
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/settings.h"

namespace tvr::ui {

class SettingsWriter {
public:
    /// Writes to the store's file, comparing with the values the store last loaded or saved.
    explicit SettingsWriter(const core::SettingsStore& loaded);
    /// Writes what is still asked for, then ends the thread.
    ~SettingsWriter();
    SettingsWriter(const SettingsWriter&) = delete;
    SettingsWriter& operator=(const SettingsWriter&) = delete;

    /// Saves the values soon (only what changed); a newer call before the write replaces them.
    void save(const core::Config& config);
    /// Keeps a window rectangle in its section soon.
    void keepRect(std::u16string section, const core::WindowRect& rect);
    /// Waits until everything asked for so far is written.
    void flush();

private:
    void run();

    core::SettingsStore store_;  // touched by the writer's thread only
    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<core::Config> pendingConfig_;
    std::vector<std::pair<std::u16string, core::WindowRect>> pendingRects_;
    std::uint64_t asked_ = 0;
    std::uint64_t written_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace tvr::ui
