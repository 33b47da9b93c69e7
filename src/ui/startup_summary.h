// SPDX-License-Identifier: MIT
#pragma once
// What a front-end shows once the services have started: where the settings live, which
// services listen where, how the headset finds the PC, and what each channel resolves to.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/settings.h"
#include "ui/controller.h"

namespace tvr::ui {

/// One channel as the window numbers it (1 to 8) and what its path resolves to.
struct ChannelSummary {
    int number = 0;              // 1 to 8
    std::u16string section;      // the settings file's section, "ch.0" to "ch.7"
    std::u16string typeName;     // "PC folder", "playlist", ...
    std::u16string path;         // pcPath as configured
    bool resolves = false;       // the headset can list it
    std::u16string target;       // what it resolves to ("folder /home/me/Videos"), when it does
    std::u16string explanation;  // why it does not, and what to change, when it does not
    std::u16string skipped{};    // a PC folder's files left out for their extension, from a look at its top
};

/// Everything the start-up summary shows.
struct StartupSummary {
    std::u16string version;  // "1.32a"
    std::int32_t protocolVersion = 0;
    std::u16string dataFolder;  // settings, log, lists and stores live here
    std::u16string settingsFile;
    std::u16string settingsCopiedFrom{};   // the settings file --data-dir copied in at this start; empty when none
    std::vector<std::u16string> warnings;  // settings values that could not be read
    ServiceState control;
    ServiceState video;
    std::vector<std::uint32_t> addresses;  // the PC's LAN IPv4 addresses, host order
    bool passwordOn = false;
    bool passwordEmpty = false;
    bool logWanted = false;  // [Config] iServerLog=1
    bool logOn = false;      // and the log is written
    std::u16string logFile;
    bool mouseOn = false;         // [Config] iUseMouse is not 0
    std::u16string mouseProblem;  // why the relay cannot run; empty when it can
    std::array<ChannelSummary, core::kChannelCount> channels;
};

/// The summary of a started server; dataFolder is where relative settings resolve.
StartupSummary summarizeStartup(const core::SettingsStore& settings, const ServiceState& control,
                                const ServiceState& video, std::u16string dataFolder,
                                std::vector<std::uint32_t> addresses);
/// Whether a settings value that is no number is a service port's, which that service's own
/// problem names.
bool isServicePortProblem(const core::SettingProblem& problem);
/// What channel index (0 to 7) of the configuration resolves to, or why it does not.
ChannelSummary summarizeChannel(const core::Config& config, int index);
/// The channel after its number: "PC folder \"/v\" -> folder /v", or its explanation.
std::u16string describeChannel(const ChannelSummary& channel);
/// At most this many entries of a PC folder's top are looked at as the server starts: a look, not
/// a walk of a large library.
inline constexpr int kSummaryLookEntries = 2000;
/// What a look at the top of PC folder channel index (0 to 7) found left out for its extension:
/// "31 files left out whose extensions are not in [File] pcExt (mp4): mkv 25, avi 6 — add them to
/// pcExt"; empty for another type or when nothing was.
std::u16string skippedAtTop(const core::Config& config, int index);

}  // namespace tvr::ui
