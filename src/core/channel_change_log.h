// SPDX-License-Identifier: MIT
#pragma once
// The headset's channel changes that the front-end may not have taken into its own settings yet.
// The front-end's settings hold the changes it has taken, counted in order; settings it saves or
// applies must not undo a later change, so the later ones are put back over their channels. The
// settings writer keeps one for the file, the control thread one for the settings in force.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/settings.h"

namespace tvr::core {

class ChannelChangeLog {
public:
    /// Notes the next change (the front-end counts the changes it takes in the same order).
    void add(std::int32_t channel, const ChannelConfig& value) {
        // A newer change of a channel supersedes the older one: one change a channel at most.
        std::erase_if(changes_, [&](const Change& change) { return change.channel == channel; });
        changes_.push_back({++made_, channel, value});
    }
    /// Forgets the first `taken` changes: the front-end's settings hold them.
    void forget(std::uint64_t taken) {
        std::erase_if(changes_, [&](const Change& change) { return change.number <= taken; });
    }
    /// Puts the changes not forgotten over the settings' channels.
    void putOver(Config& config) const {
        for (const Change& change : changes_) config.channels[static_cast<std::size_t>(change.channel)] = change.value;
    }
    bool empty() const { return changes_.empty(); }

private:
    struct Change {
        std::uint64_t number;
        std::int32_t channel;
        ChannelConfig value;
    };

    std::uint64_t made_ = 0;
    std::vector<Change> changes_;
};

}  // namespace tvr::core
