// SPDX-License-Identifier: MIT
#include "library/library_state.h"

#include "core/paths.h"

namespace tvr::library {

void LibraryState::apply(const core::Config& config) {
    std::u16string folder;
    core::resolveStoreFolder(&folder, config.trimPath);
    markers_.scanMarkerFolder(folder);
    for (std::int32_t ch = 0; ch < core::kChannelCount; ++ch) {
        const auto& channel = config.channels[static_cast<std::size_t>(ch)];
        if (channel.type == core::kChannelSearchList) searchList_.bind(ch, kSearchList, channel.path);
        if (channel.type == core::kChannelFavoriteList) favoriteList_.bind(ch, kFavoriteList, channel.path);
    }
    {
        std::lock_guard guard(extensionsMutex_);
        extensions_.build(config.extensions);
    }
    core::resolveStoreFolder(&vrFormatFolder_, config.vrFormatPath);
    std::u16string wordFile;
    core::resolveDataFile(&wordFile, config.wordListPath);  // kept even when the file does not exist yet
    wordList_.setPath(wordFile);
    wordList_.loadWordList();
}

bool LibraryState::isVideoAccepted(std::u16string_view path) const {
    std::lock_guard guard(extensionsMutex_);
    return extensions_.isAccepted(path);
}

ListFile* LibraryState::listForChannel(std::int32_t channel) {
    if (favoriteList_.channel() == channel) return &favoriteList_;
    if (searchList_.channel() == channel) return &searchList_;
    return nullptr;
}

int LibraryState::listChannel(const core::Config& config, std::int32_t channel, const SortRequest& sort,
                              ListingSink& sink) {
    // The table changes only on this thread, so its mutex is not taken: the video server is not
    // held up for the length of a listing.
    ListingContext context{config, extensions_, markers_, searchList_, favoriteList_, sink};
    return lister_.listChannel(channel, sort, context);
}

}  // namespace tvr::library
