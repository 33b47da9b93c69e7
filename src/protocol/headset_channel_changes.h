// SPDX-License-Identifier: MIT
#pragma once
// The headset's channel changes that the front-end may not have taken into its own settings yet.
// The front-end hands its settings to the control thread when the user applies them; settings
// older than a change must not undo it on the control thread, so the changes the front-end had
// not taken are put back over what it hands over. The control thread alone uses this.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/settings.h"

namespace tvr::protocol {

class HeadsetChannelChanges {
public:
    /// Notes a change as it is posted to the front-end, which counts the changes it takes.
    void add(std::int32_t channel, const core::ChannelConfig& value) {
        // A newer change of a channel supersedes the older one: one change a channel at most.
        std::erase_if(changes_, [&](const Change& change) { return change.channel == channel; });
        changes_.push_back({++made_, channel, value});
    }
    /// Puts the changes after the first `taken` over the settings' channels; forgets the others.
    void keepOver(core::Config& config, std::uint64_t taken) {
        std::erase_if(changes_, [&](const Change& change) { return change.number <= taken; });
        for (const Change& change : changes_) config.channels[static_cast<std::size_t>(change.channel)] = change.value;
    }

private:
    struct Change {
        std::uint64_t number;
        std::int32_t channel;
        core::ChannelConfig value;
    };

    std::uint64_t made_ = 0;
    std::vector<Change> changes_;
};

}  // namespace tvr::protocol
