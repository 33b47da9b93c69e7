// SPDX-License-Identifier: MIT
#include "library/channels.h"

#include "core/paths.h"
#include "core/text.h"
#include "platform/fs.h"
#include "platform/system_paths.h"

namespace tvr::library {

namespace {

constexpr std::u16string_view kComputer = u"(Computer)";
constexpr std::u16string_view kDeviceVideo = u"(DeviceVide)";
constexpr std::u16string_view kPcVideo = u"(PCVideo)";
constexpr std::u16string_view kPcFolder = u"(PCFolder)";

bool isChannelNumber(std::int32_t channel) { return channel >= 0 && channel < core::kChannelCount; }

}  // namespace

bool resolveChannelRoot(const core::Config& config, std::int32_t channel, ChannelRoot* out) {
    if (!isChannelNumber(channel)) {
        return false;
    }
    const core::ChannelConfig& entry = config.channels[static_cast<std::size_t>(channel)];
    ChannelRoot result;
    result.type = entry.type;
    result.recurse = entry.type != core::kChannelPcFolder;

    const std::u16string& path = entry.path;
    if (path == kComputer || path == kDeviceVideo) {
        return false;
    }
    if (path == kPcVideo) {
        const std::u16string videos = platform::userVideosFolder();
        if (videos.empty()) {
            return false;  // no known Videos folder: nothing to list
        }
        result.root = core::replaceAll(videos, u'\\', u'/');
        result.isFolder = true;
    } else if (bool isFolder = false; core::getPathState(path, &isFolder)) {
        result.root = core::replaceAll(path, u'\\', u'/');
        result.isFolder = isFolder;
    } else if (entry.type != core::kChannelPcFolder) {
        // A list-file name that is not found as written (or nothing at all) lives in the data folder.
        std::u16string candidate = core::dataFolder();
        core::appendPath(candidate, path);
        if (!core::getPathState(candidate, &isFolder)) {
            return false;
        }
        result.root = core::replaceAll(candidate, u'\\', u'/');
        result.isFolder = isFolder;
    } else {
        return false;
    }
    if (out != nullptr) {
        *out = std::move(result);
    }
    return true;
}

bool setChannelType(core::Config& config, std::int32_t channel, std::int32_t type, std::u16string_view path) {
    if (!isChannelNumber(channel) || (type != core::kChannelPcFolder && type != core::kChannelVrDevice)) {
        return false;
    }
    // The settings file keeps one value per line: a path it cannot hold is refused, not lost later.
    if (!core::isStorableLine(path)) return false;
    core::ChannelConfig& entry = config.channels[static_cast<std::size_t>(channel)];
    entry.type = type;
    // The headset sends placeholders instead of a real folder; those never replace the path.
    if (type == core::kChannelPcFolder && !path.empty() && path != kPcFolder && path != kDeviceVideo) {
        entry.path = platform::backslashIsSeparator() ? core::replaceAll(path, u'/', u'\\') : std::u16string(path);
    }
    return true;
}

}  // namespace tvr::library
