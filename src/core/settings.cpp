// SPDX-License-Identifier: MIT
#include "core/settings.h"

#include <limits>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/text.h"
#include "platform/fs.h"
#include "platform/ini_file.h"
#include "platform/text_file.h"

namespace tvr::core {

namespace {

using platform::IniName;

/// One INI key bound to its field of a record: exactly one of number and text is set.
struct KeyBinding {
    IniName section;
    IniName key;
    std::int32_t* number = nullptr;
    std::u16string* text = nullptr;
};

// The names are hashed once, when the program is built: a load looks every one of them up.
constexpr IniName kChannelSections[kChannelCount] = {u"ch.0", u"ch.1", u"ch.2", u"ch.3",
                                                     u"ch.4", u"ch.5", u"ch.6", u"ch.7"};
constexpr IniName kRateKeys[std::tuple_size_v<decltype(Config::rates)>] = {u"rw.rate.0", u"rw.rate.1", u"rw.rate.2",
                                                                           u"rw.rate.3", u"rw.rate.4", u"rw.rate.5"};
constexpr IniName kSizeKeys[std::tuple_size_v<decltype(Config::sizes)>] = {u"rw.size.0", u"rw.size.1", u"rw.size.2"};
constexpr IniName kFile = u"File";
constexpr IniName kSetup = u"Setup";
constexpr IniName kPlaybackRate = u"PlaybackRate";
constexpr IniName kScreenSize = u"ScreenSize";
constexpr IniName kConfig = u"Config";

void addNumber(std::vector<KeyBinding>& keys, const IniName& section, const IniName& key, std::int32_t* field) {
    keys.push_back({section, key, field, nullptr});
}

void addText(std::vector<KeyBinding>& keys, const IniName& section, const IniName& key, std::u16string* field) {
    keys.push_back({section, key, nullptr, field});
}

// Every key in the order a new file is filled.
std::vector<KeyBinding> bindKeys(Config& config) {
    static constexpr IniName kType = u"iType";
    static constexpr IniName kPath = u"pcPath";
    std::vector<KeyBinding> keys;
    keys.reserve(48);
    for (int index = 0; index < kChannelCount; ++index) {
        addNumber(keys, kChannelSections[index], kType, &config.channels[index].type);
        addText(keys, kChannelSections[index], kPath, &config.channels[index].path);
    }
    addText(keys, kFile, u"pcExt", &config.extensions);
    addText(keys, kFile, u"pcSearchFolder1", &config.searchFolder1);
    addText(keys, kFile, u"pcTrimPath", &config.trimPath);
    addText(keys, kFile, u"pcVRFormatPath", &config.vrFormatPath);
    addText(keys, kFile, u"pcWordListPath", &config.wordListPath);
    addText(keys, kFile, u"pcPCFolderListPath", &config.pcFolderListPath);
    addNumber(keys, kSetup, u"iSeek1FF", &config.seekForward);
    addNumber(keys, kSetup, u"iSeek1RW", &config.seekBackward);
    for (std::size_t index = 0; index < config.rates.size(); ++index) {
        addNumber(keys, kPlaybackRate, kRateKeys[index], &config.rates[index]);
    }
    for (std::size_t index = 0; index < config.sizes.size(); ++index) {
        addNumber(keys, kScreenSize, kSizeKeys[index], &config.sizes[index]);
    }
    addNumber(keys, kConfig, u"iUsePassword", &config.usePassword);
    addText(keys, kConfig, u"pcPassword", &config.password);
    addNumber(keys, kConfig, u"iUseMouse", &config.useMouse);
    addNumber(keys, kConfig, u"iUseMouseScale", &config.mouseScale);
    addNumber(keys, kConfig, u"iLiveTimeOutSec", &config.liveTimeoutSec);
    addNumber(keys, kConfig, u"iServerLog", &config.serverLog);
    addNumber(keys, kConfig, u"iPortServer", &config.portServer);
    addNumber(keys, kConfig, u"iPortHttp", &config.portHttp);
    addNumber(keys, kConfig, u"iPortMouse", &config.portMouse);
    return keys;
}

bool writeKey(platform::IniDocument& file, const KeyBinding& binding) {
    // Texts are written whole: the file holds them without a length limit.
    std::u16string value = binding.number != nullptr ? format(u"%d", {std::int64_t{*binding.number}}) : *binding.text;
    return file.write(binding.section, binding.key, value);
}

// Reads one key, writing the default in its place when it is missing or empty; a number that
// does not parse is noted in problems.
void readKey(platform::IniDocument& file, const KeyBinding& binding, std::vector<SettingProblem>& problems) {
    if (binding.number != nullptr) {
        std::u16string text = file.read(binding.section, binding.key, u"");
        if (text.empty()) {
            writeKey(file, binding);
            return;
        }
        std::int64_t value = 0;
        // Text that is not a number leaves the default in place and stays in the file.
        if (!scanDecimal(text, &value)) {
            problems.push_back(
                {std::u16string(binding.section.text()), std::u16string(binding.key.text()), std::move(text)});
            return;
        }
        if (value < std::numeric_limits<std::int32_t>::min()) value = std::numeric_limits<std::int32_t>::min();
        if (value > std::numeric_limits<std::int32_t>::max()) value = std::numeric_limits<std::int32_t>::max();
        *binding.number = static_cast<std::int32_t>(value);
        return;
    }
    std::optional<std::u16string> text = file.find(binding.section, binding.key);
    if (!text) {
        writeKey(file, binding);
        return;
    }
    *binding.text = std::move(*text);
}

// A folder of the file's name counts as missing; creating the empty file then fails.
bool ensureFile(std::u16string_view path, bool* created) {
    *created = false;
    if (platform::pathKind(path) == platform::PathKind::File) return true;
    if (!platform::createEmptyTextFile(path, platform::TextEncoding::Utf16Le)) return false;
    *created = true;
    return true;
}

}  // namespace

Config defaultConfig() {
    Config config;
    const std::int32_t types[kChannelCount] = {kChannelVrDevice,   kChannelPcFolder,    kChannelPlaylist,
                                               kChannelPlaylist,   kChannelPlaylist,    kChannelPlaylist,
                                               kChannelSearchList, kChannelFavoriteList};
    const char16_t* paths[kChannelCount] = {u"",        u"",        u"ch3.vrl",    u"ch4.vrl",
                                            u"ch5.vrl", u"ch6.vrl", u"search.vrl", u"favorite.vrl"};
    for (int index = 0; index < kChannelCount; ++index) {
        config.channels[index].type = types[index];
        config.channels[index].path = paths[index];
    }
    config.extensions = u"mp4";
    config.searchFolder1 = u"SearchFolder1.vrl";
    config.trimPath = u"trim";
    config.vrFormatPath = u"VRFormat";
    config.wordListPath = u"WordList.txt";
    config.pcFolderListPath = u"PCFolderList.vrl";
    config.seekForward = 10;
    config.seekBackward = -3;
    config.rates = {50, 75, 100, 125, 150, 200};
    config.sizes = {80, 100, 120};
    config.usePassword = 0;
    config.useMouse = 0;
    config.mouseScale = 100;
    config.portServer = 11922;
    config.portHttp = 11921;
    config.portMouse = 11923;
    config.liveTimeoutSec = 120;
    config.serverLog = 0;
    return config;
}

bool readSettingsText(std::string& bytes, Config* config) {
    *config = defaultConfig();
    platform::IniDocument file(bytes);
    std::vector<SettingProblem> problems;
    for (const KeyBinding& binding : bindKeys(*config)) readKey(file, binding, problems);
    if (file.bytes() == bytes) return false;
    bytes = file.bytes();
    return true;
}

bool SettingsStore::load() {
    config_ = defaultConfig();
    problems_.clear();
    bool created = false;
    if (!ensureFile(path_, &created)) return false;
    bool readable = false;
    // Missing keys are filled in memory and the file is replaced once, whole, under its lock.
    platform::iniEdit(path_, [&](platform::IniDocument& file) {
        readable = true;
        for (const KeyBinding& binding : bindKeys(config_)) readKey(file, binding, problems_);
        return true;
    });
    snapshot_ = config_;
    return readable;
}

const SettingProblem* SettingsStore::configProblem(std::u16string_view key) const {
    for (const SettingProblem& problem : problems_) {
        if (problem.section == u"Config" && problem.key == key) return &problem;
    }
    return nullptr;
}

bool SettingsStore::save() {
    bool created = false;
    if (!ensureFile(path_, &created)) return false;
    std::vector<KeyBinding> current = bindKeys(config_);
    std::vector<KeyBinding> previous = bindKeys(snapshot_);
    std::vector<std::size_t> written;
    bool allWritten = true;
    bool replaced = platform::iniEdit(path_, [&](platform::IniDocument& file) {
        for (std::size_t i = 0; i < current.size(); ++i) {
            const KeyBinding& now = current[i];
            const KeyBinding& before = previous[i];
            bool changed = now.number != nullptr ? *now.number != *before.number : *now.text != *before.text;
            if (!changed) continue;
            if (writeKey(file, now)) {
                written.push_back(i);
            } else {
                allWritten = false;
            }
        }
        return true;
    });
    if (!replaced) return false;
    // Only a value that reached the file joins the snapshot, so a failed key is tried again next save.
    for (std::size_t i : written) {
        if (current[i].number != nullptr) {
            *previous[i].number = *current[i].number;
        } else {
            *previous[i].text = *current[i].text;
        }
    }
    return allWritten;
}

}  // namespace tvr::core
