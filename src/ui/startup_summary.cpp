// SPDX-License-Identifier: MIT
#include "ui/startup_summary.h"

#include "core/log.h"
#include "core/paths.h"
#include "core/text.h"
#include "core/version.h"
#include "library/channels.h"
#include "platform/fs.h"
#include "protocol/channel_type_names.h"

namespace tvr::ui {

namespace {

std::u16string typeName(std::int32_t type) {
    const protocol::ChannelTypeName* names = protocol::findChannelTypeName(type);
    return names != nullptr ? std::u16string(names->english) : core::format(u"unknown type %d", {type});
}

// Why a channel that resolveChannelRoot refused does not resolve, and what the user can change.
std::u16string explainUnresolved(const core::ChannelConfig& channel, std::u16string_view section) {
    const std::u16string& path = channel.path;
    if (path == u"(Computer)") return u"the drive overview, browsed from the headset";
    if (path == u"(DeviceVide)") return u"the headset's own videos, nothing on the PC";
    if (path == u"(PCVideo)") return u"no Videos folder is known: set XDG_VIDEOS_DIR or make ~/Videos";
    if (channel.type == core::kChannelPcFolder) {
        if (path.empty()) return core::format(u"not set: give [%s] pcPath a folder or (PCVideo)", {section});
        return core::format(u"folder not found: give [%s] pcPath an existing folder or (PCVideo)", {section});
    }
    std::u16string candidate = core::executableFolder();
    core::appendPath(candidate, path);
    if (channel.type == core::kChannelSearchList || channel.type == core::kChannelFavoriteList) {
        return core::format(u"no list file yet at %s; the headset writes it when it saves this list", {candidate});
    }
    if (channel.type == core::kChannelPlaylist) {
        return core::format(u"no list file at %s; write one with a folder or video per line", {candidate});
    }
    return core::format(u"%s not found", {candidate});
}

}  // namespace

ChannelSummary summarizeChannel(const core::Config& config, int index) {
    const core::ChannelConfig& channel = config.channels[static_cast<std::size_t>(index)];
    ChannelSummary summary;
    summary.number = index + 1;
    summary.section = core::format(u"ch.%d", {index});
    summary.typeName = typeName(channel.type);
    summary.path = channel.path;
    library::ChannelRoot root;
    if (library::resolveChannelRoot(config, index, &root) == 0) {
        summary.explanation = explainUnresolved(channel, summary.section);
        return summary;
    }
    // An empty list path resolves to the data folder itself, written with a trailing separator.
    if (root.root.size() > 1 && root.root.back() == u'/') root.root.pop_back();
    bool isFolder = false;
    if (!core::getPathState(root.root, &isFolder)) {
        summary.explanation = core::format(u"%s does not exist", {root.root});
    } else if (channel.type == core::kChannelPcFolder && !isFolder) {
        summary.explanation =
            core::format(u"%s is a file, not a folder: give [%s] pcPath a folder", {root.root, summary.section});
    } else {
        summary.resolves = true;
        summary.target = core::format(isFolder ? u"folder %s" : u"list file %s", {root.root});
    }
    return summary;
}

StartupSummary summarizeStartup(const core::SettingsStore& settings, const ServiceState& control,
                                const ServiceState& video, std::u16string dataFolder,
                                std::vector<std::uint32_t> addresses) {
    const core::Config& config = settings.config();
    StartupSummary summary;
    summary.version = core::kAppVersion;
    summary.protocolVersion = core::kProtocolVersion;
    summary.logFile = core::ServerLog::pathIn(dataFolder);
    summary.dataFolder = std::move(dataFolder);
    summary.settingsFile = settings.path();
    for (const core::SettingProblem& problem : settings.problems()) {
        // The two service ports name their own problem on their service's line.
        bool port = problem.section == u"Config" && (problem.key == u"iPortServer" || problem.key == u"iPortHttp");
        if (port) continue;
        summary.warnings.push_back(core::format(u"[%s] %s=%s is not a number; the default is used",
                                                {problem.section, problem.key, problem.text}));
    }
    summary.control = control;
    summary.video = video;
    summary.addresses = std::move(addresses);
    summary.passwordOn = config.usePassword != 0;
    summary.passwordEmpty = config.password.empty();
    summary.logOn = config.serverLog == 1;
    for (int index = 0; index < core::kChannelCount; ++index) {
        summary.channels[static_cast<std::size_t>(index)] = summarizeChannel(config, index);
    }
    return summary;
}

}  // namespace tvr::ui
