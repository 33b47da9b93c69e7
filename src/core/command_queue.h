// SPDX-License-Identifier: MIT
#pragma once
// Commands that services post to the front-end (the main window in the desktop apps). The
// front-end drains them on its own thread, so services never touch a window.
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "core/event_stamp.h"

namespace tvr::core {

enum FrontEndCommandId : std::int32_t {
    kRefreshChannels = 1005,  // a channel changed: show the channels again and save the settings
    kForceDisconnect = 1006,  // the mouse hold asks to drop the headset
    kSaveFailed = 1007,       // a file the headset changed could not be saved: path says which and why
};

struct FrontEndCommand {
    std::int32_t id = 0;
    std::int32_t channel = -1;  // kRefreshChannels: the channel that changed
    std::int32_t type = 0;
    std::u16string path;  // kSaveFailed: "the word list <path> cannot be written: <reason>"
    EventStamp stamp{};   // when it was posted
};

class CommandQueue {
public:
    /// Queues a command stamped now (any thread).
    void post(FrontEndCommand command) {
        std::lock_guard lock(mutex_);
        command.stamp = stampEvent();
        queue_.push_back(std::move(command));
    }
    /// Takes every queued command in order.
    std::vector<FrontEndCommand> drain() {
        std::lock_guard lock(mutex_);
        std::vector<FrontEndCommand> out(std::make_move_iterator(queue_.begin()),
                                         std::make_move_iterator(queue_.end()));
        queue_.clear();
        return out;
    }

private:
    std::mutex mutex_;
    std::deque<FrontEndCommand> queue_;
};

}  // namespace tvr::core
