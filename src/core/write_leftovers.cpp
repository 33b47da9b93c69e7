// SPDX-License-Identifier: MIT
#include "core/write_leftovers.h"

#include <set>
#include <string>

#include "core/paths.h"
#include "platform/fs.h"

namespace tvr::core {

namespace {

std::u16string folderOfFile(std::u16string_view setting) {
    std::u16string file;
    resolveDataFile(&file, setting);
    return splitPath(file).folder;
}

}  // namespace

int removeWriteLeftovers(std::u16string_view settingsPath, const Config& config) {
    std::set<std::u16string> folders;
    folders.insert(dataFolder());
    folders.insert(splitPath(appFilePath(settingsPath)).folder);
    for (const ChannelConfig& channel : config.channels) {
        if (channel.type == kChannelSearchList || channel.type == kChannelFavoriteList) {
            folders.insert(folderOfFile(channel.path));
        }
    }
    for (std::u16string_view file : {config.searchFolder1, config.wordListPath, config.pcFolderListPath}) {
        folders.insert(folderOfFile(file));
    }
    for (std::u16string_view store : {config.trimPath, config.vrFormatPath}) {
        std::u16string folder;
        resolveStoreFolder(&folder, store);
        folders.insert(folder);
    }
    int removed = 0;
    for (const std::u16string& folder : folders) {
        if (!folder.empty()) removed += platform::removeAtomicWriteLeftovers(folder);
    }
    return removed;
}

}  // namespace tvr::core
