// SPDX-License-Identifier: MIT
#pragma once
// Writes the settings file and the window rectangles on a thread of its own, in the order they
// were asked for, so that a slow disk never holds a window's thread. The headset's channel
// changes come straight from the control thread, which waits for their write before its OK; the
// front-end's later saves keep them until it has taken them itself.
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/channel_change_log.h"
#include "core/channel_saver.h"
#include "core/settings.h"

namespace tvr::ui {

class SettingsWriter final : public core::ChannelSaver {
public:
    /// Longest wait of saveChannel for its write.
    static constexpr int kChannelSaveWaitMs = 1000;

    /// Writes to the store's file, comparing with the values the store last loaded or saved.
    explicit SettingsWriter(const core::SettingsStore& loaded);
    /// Writes what is still asked for, then ends the thread.
    ~SettingsWriter() override;
    SettingsWriter(const SettingsWriter&) = delete;
    SettingsWriter& operator=(const SettingsWriter&) = delete;

    /// Saves the front-end's values soon (only what changed); a newer call before the write
    /// replaces them. channelChangesTaken counts the headset's channel changes (saveChannel
    /// calls, in order) already in config; the later ones are kept over config's channels.
    void save(const core::Config& config, std::uint64_t channelChangesTaken);
    /// Keeps a window rectangle in its section soon.
    void keepRect(std::u16string section, const core::WindowRect& rect);
    /// Waits until everything asked for so far is written.
    void flush();
    /// Asks the thread to end once everything asked for is written, without waiting for it.
    void close();
    /// The headset's channel change, written before the return (control thread).
    bool saveChannel(std::int32_t channel, std::int32_t type, std::u16string_view path) override;
    /// Every write that failed since the last call, in order, each naming the file and why.
    std::vector<std::u16string> takeFailures();
    /// What the newest write could not save and why; empty when it saved everything.
    std::u16string unsaved();

private:
    void run();
    std::uint64_t askLocked();

    core::SettingsStore store_;  // touched by the writer's thread only
    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<core::Config> pendingConfig_;
    core::ChannelChangeLog channelChanges_;  // not yet taken by the front-end
    bool channelsPending_ = false;
    std::vector<std::pair<std::u16string, core::WindowRect>> pendingRects_;
    std::uint64_t asked_ = 0;
    std::uint64_t written_ = 0;
    std::uint64_t lastFailed_ = 0;          // the last request of the newest write that failed
    std::vector<std::u16string> failures_;  // not yet taken
    std::u16string unsaved_;                // the newest write's failure
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace tvr::ui
