// SPDX-License-Identifier: MIT
#pragma once
// What the headset's commands read and change besides the connection: the marker index, the
// search and favourites lists, the word list, the channel lister, the extension table and the
// store folders.
// The control thread owns it; only the extension table is asked from the video server's thread,
// under its own small lock.
#include <mutex>
#include <string>
#include <string_view>

#include "core/extension_filter.h"
#include "core/settings.h"
#include "library/channel_listing.h"
#include "library/list_file.h"
#include "stores/marker_store.h"
#include "stores/word_list.h"

namespace tvr::library {

class LibraryState {
public:
    /// Takes the folders, lists and extensions of the settings (the control thread).
    void apply(const core::Config& config);
    /// True when the extension table accepts the path (any thread).
    bool isVideoAccepted(std::u16string_view path) const;
    /// The list file bound to the channel (search or favourites), or nullptr.
    ListFile* listForChannel(std::int32_t channel);
    /// Lists a channel into the sink with the settings in force.
    int listChannel(const core::Config& config, std::int32_t channel, const SortRequest& sort, ListingSink& sink);
    /// What the last listing met that the user should hear of.
    const ListingNotes& listingNotes() const { return lister_.notes(); }

    stores::MarkerStore& markers() { return markers_; }
    stores::WordList& wordList() { return wordList_; }
    ListFile& searchList() { return searchList_; }
    ListFile& favoriteList() { return favoriteList_; }
    /// The resolved VR format folder (empty when the setting resolves to nothing).
    const std::u16string& vrFormatFolder() const { return vrFormatFolder_; }

private:
    stores::MarkerStore markers_;
    ListFile favoriteList_;
    ListFile searchList_;
    ChannelLister lister_;
    std::u16string vrFormatFolder_;
    stores::WordList wordList_;
    mutable std::mutex extensionsMutex_;  // the video server reads the table on its own thread
    core::ExtensionTable extensions_;
};

}  // namespace tvr::library
