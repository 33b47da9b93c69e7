// SPDX-License-Identifier: MIT
#include "ui/settings_writer.h"

#include "ui/window_rect_store.h"

namespace tvr::ui {

SettingsWriter::SettingsWriter(const core::SettingsStore& loaded) : store_(loaded), thread_([this] { run(); }) {}

SettingsWriter::~SettingsWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void SettingsWriter::save(const core::Config& config) {
    {
        std::lock_guard lock(mutex_);
        pendingConfig_ = config;
        ++asked_;
    }
    changed_.notify_all();
}

void SettingsWriter::keepRect(std::u16string section, const core::WindowRect& rect) {
    {
        std::lock_guard lock(mutex_);
        pendingRects_.emplace_back(std::move(section), rect);
        ++asked_;
    }
    changed_.notify_all();
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
        auto rects = std::exchange(pendingRects_, {});
        lock.unlock();
        if (config) {
            store_.config() = std::move(*config);
            store_.save();
        }
        for (const auto& [section, rect] : rects) saveWindowRect(store_.path(), section, rect);
        lock.lock();
        written_ = taking;
        changed_.notify_all();
    }
}

}  // namespace tvr::ui
