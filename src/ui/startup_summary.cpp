// SPDX-License-Identifier: MIT
#include "ui/startup_summary.h"

#include "core/log.h"
#include "core/path_parts.h"
#include "core/paths.h"
#include "core/text.h"
#include "core/version.h"
#include "library/channel_explain.h"
#include "library/channels.h"
#include "library/skipped_files.h"
#include "platform/fs.h"
#include "ui/skip_note_text.h"

namespace tvr::ui {

bool isServicePortProblem(const core::SettingProblem& problem) {
    return problem.section == u"Config" && (problem.key == u"iPortServer" || problem.key == u"iPortHttp");
}

ChannelSummary summarizeChannel(const core::Config& config, int index) {
    const core::ChannelConfig& channel = config.channels[static_cast<std::size_t>(index)];
    ChannelSummary summary;
    summary.number = index + 1;
    summary.section = core::format(u"ch.%d", {index});
    summary.typeName = library::channelTypeName(channel.type);
    summary.path = channel.path;
    library::ChannelRoot root;
    if (!library::resolveChannelRoot(config, index, &root)) {
        summary.explanation = library::explainUnresolvedChannel(config, index);
        return summary;
    }
    // An empty list path resolves to the data folder itself, written with a trailing separator.
    if (root.root.size() > 1 && root.root.back() == u'/') root.root.pop_back();
    std::u16string shown = platform::displayPath(root.root);
    // A relative path is looked up from the folder the server was started in, which few expect.
    if (!core::isAbsolutePath(root.root)) {
        shown += core::format(u" (relative to the folder the server was started in: %s)",
                              {platform::displayPath(platform::canonicalPath(root.root))});
    }
    bool isFolder = false;
    if (!core::getPathState(root.root, &isFolder)) {
        summary.explanation = core::format(u"%s does not exist", {shown});
    } else if (channel.type == core::kChannelPcFolder && !isFolder) {
        summary.explanation =
            core::format(u"%s is a file, not a folder: give [%s] pcPath a folder", {shown, summary.section});
    } else if (channel.type == core::kChannelVrDevice) {
        // The headset lists its own storage for this channel; only a PC-side browse sees the folder.
        summary.resolves = true;
        summary.target =
            core::format(u"the headset's own storage; on the PC this channel shows %s %s",
                         {std::u16string_view(channel.path.empty() ? u"the data folder" : u"the folder"), shown});
    } else {
        summary.resolves = true;
        summary.target = core::format(isFolder ? u"folder %s" : u"list file %s", {shown});
    }
    return summary;
}

std::u16string describeChannel(const ChannelSummary& channel) {
    std::u16string text = channel.typeName;
    if (!channel.path.empty()) text += core::format(u" \"%s\"", {channel.path});
    if (!channel.resolves) return text + u", " + channel.explanation;
    text += u" -> " + channel.target;
    if (!channel.skipped.empty()) text += u"; " + channel.skipped;
    return text;
}

std::u16string skippedAtTop(const core::Config& config, int index) {
    library::ChannelRoot root;
    if (config.channels[static_cast<std::size_t>(index)].type != core::kChannelPcFolder ||
        !library::resolveChannelRoot(config, index, &root) || !root.isFolder) {
        return {};
    }
    core::ExtensionTable extensions;
    extensions.build(config.extensions);
    const library::FolderTop top = library::lookAtFolderTop(root.root, extensions, kSummaryLookEntries);
    if (!top.read || top.skipped.total() == 0) return {};
    std::u16string where =
        top.complete ? std::u16string(u"") : core::format(u" among its first %d entries", {kSummaryLookEntries});
    return core::format(
        u"%I64d %s%s left out whose extensions are not in [File] pcExt (%s): %s — add them to pcExt",
        {top.skipped.total(), std::u16string_view(top.skipped.total() == 1 ? u"file" : u"files"), where,
         std::u16string_view(config.extensions), extensionCounts(top.skipped.mostCommon(library::SkipNote::kNamed))});
}

StartupSummary summarizeStartup(const core::SettingsStore& settings, const ServiceState& control,
                                const ServiceState& video, std::u16string dataFolder,
                                std::vector<std::uint32_t> addresses) {
    const core::Config& config = settings.config();
    StartupSummary summary;
    summary.version = core::kAppVersion;
    summary.protocolVersion = core::kProtocolVersion;
    // Paths are joined with '/' inside; the user reads them in the system's own form.
    summary.logFile = platform::displayPath(core::ServerLog::pathIn(dataFolder));
    summary.dataFolder = platform::displayPath(dataFolder);
    summary.settingsFile = platform::displayPath(settings.path());
    for (const core::SettingProblem& problem : settings.problems()) {
        // The two service ports name their own problem on their service's line.
        if (isServicePortProblem(problem)) continue;
        summary.warnings.push_back(core::format(u"[%s] %s=%s is not a number; the default is used",
                                                {problem.section, problem.key, problem.text}));
    }
    summary.control = control;
    summary.video = video;
    summary.addresses = std::move(addresses);
    summary.passwordOn = config.usePassword != 0;
    summary.passwordEmpty = config.password.empty();
    summary.logWanted = config.serverLog == 1;
    // The control server writes the log: without it the file is never opened.
    summary.logOn = summary.logWanted && control.problem.empty();
    summary.mouseOn = config.useMouse != 0;
    for (int index = 0; index < core::kChannelCount; ++index) {
        ChannelSummary& channel = summary.channels[static_cast<std::size_t>(index)];
        channel = summarizeChannel(config, index);
        if (channel.resolves) channel.skipped = skippedAtTop(config, index);
    }
    return summary;
}

}  // namespace tvr::ui
