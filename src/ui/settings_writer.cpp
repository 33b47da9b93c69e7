// SPDX-License-Identifier: MIT
#include "ui/settings_writer.h"

#include <algorithm>
#include <chrono>

#include "core/write_fault.h"
#include "ui/window_rect_store.h"

namespace tvr::ui {

SettingsWriter::SettingsWriter(const core::SettingsStore& loaded) : store_(loaded), thread_([this] { run(); }) {}

SettingsWriter::~SettingsWriter() {
    close();
    thread_.join();
}

void SettingsWriter::close() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
}

std::uint64_t SettingsWriter::askLocked() {
    std::uint64_t ticket = ++asked_;
    changed_.notify_all();
    return ticket;
}

void SettingsWriter::save(const core::Config& config, std::uint64_t channelChangesTaken) {
    std::lock_guard lock(mutex_);
    pendingConfig_ = config;
    channelChanges_.forget(channelChangesTaken);
    askLocked();
}

void SettingsWriter::keepRect(std::u16string section, const core::WindowRect& rect) {
    std::lock_guard lock(mutex_);
    pendingRects_.emplace_back(std::move(section), rect);
    askLocked();
}

bool SettingsWriter::saveChannel(std::int32_t channel, std::int32_t type, std::u16string_view path) {
    if (channel < 0 || channel >= core::kChannelCount) return false;
    std::unique_lock lock(mutex_);
    channelChanges_.add(channel, core::ChannelConfig{type, std::u16string(path)});
    channelsPending_ = true;
    std::uint64_t ticket = askLocked();
    bool written =
        changed_.wait_for(lock, std::chrono::milliseconds(kChannelSaveWaitMs), [&] { return written_ >= ticket; });
    return written && lastFailed_ < ticket;
}

std::vector<std::u16string> SettingsWriter::takeFailures() {
    std::lock_guard lock(mutex_);
    return std::exchange(failures_, {});
}

std::u16string SettingsWriter::unsaved() {
    std::lock_guard lock(mutex_);
    return unsaved_;
}

void SettingsWriter::flush() {
    std::unique_lock lock(mutex_);
    std::uint64_t target = asked_;
    changed_.wait(lock, [&] { return written_ >= target; });
}

void SettingsWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || written_ < asked_; });
        if (written_ == asked_) return;  // stopping with nothing left to write
        std::uint64_t taking = asked_;
        std::optional<core::Config> config = std::exchange(pendingConfig_, std::nullopt);
        if (std::exchange(channelsPending_, false) || (config && !channelChanges_.empty())) {
            if (!config) config = store_.config();
            channelChanges_.putOver(*config);
        }
        auto rects = std::exchange(pendingRects_, {});
        lock.unlock();
        bool ok = true;
        platform::WriteFault fault = platform::WriteFault::kNone;
        auto note = [&](bool written) {
            if (written) return;
            ok = false;
            fault = platform::lastWriteFault();  // this thread's, so the write's own
        };
        if (config) {
            store_.config() = std::move(*config);
            note(store_.save());
        }
        for (const auto& [section, rect] : rects) note(saveWindowRect(store_.path(), section, rect));
        lock.lock();
        if (ok) {
            unsaved_.clear();
        } else {
            lastFailed_ = taking;
            unsaved_ = core::unwritableText(u"the settings file", store_.path(), fault);
            failures_.push_back(unsaved_);
        }
        written_ = taking;
        changed_.notify_all();
    }
}

}  // namespace tvr::ui
