// SPDX-License-Identifier: MIT
#include "core/settings.h"

#include <limits>
#include <string_view>
#include <vector>

#include "core/text.h"
#include "platform/fs.h"
#include "platform/ini_file.h"
#include "platform/text_file.h"

namespace tvr::core {

namespace {

/// One INI key bound to its field of a record: exactly one of number and text is set.
struct KeyBinding {
    std::u16string section;
    std::u16string key;
    std::int32_t* number = nullptr;
    std::u16string* text = nullptr;
};

void addNumber(std::vector<KeyBinding>& keys, std::u16string_view section, std::u16string key, std::int32_t* field) {
    keys.push_back({std::u16string(section), std::move(key), field, nullptr});
}

void addText(std::vector<KeyBinding>& keys, std::u16string_view section, std::u16string key, std::u16string* field) {
    keys.push_back({std::u16string(section), std::move(key), nullptr, field});
}

// Every key in the order a new file is filled.
std::vector<KeyBinding> bindKeys(Config& config) {
    std::vector<KeyBinding> keys;
    for (int index = 0; index < kChannelCount; ++index) {
        std::u16string section = format(u"ch.%d", {std::int64_t{index}});
        addNumber(keys, section, u"iType", &config.channels[index].type);
        addText(keys, section, u"pcPath", &config.channels[index].path);
    }
    addText(keys, u"File", u"pcExt", &config.extensions);
    addText(keys, u"File", u"pcSearchFolder1", &config.searchFolder1);
    addText(keys, u"File", u"pcTrimPath", &config.trimPath);
    addText(keys, u"File", u"pcVRFormatPath", &config.vrFormatPath);
    addText(keys, u"File", u"pcWordListPath", &config.wordListPath);
    addText(keys, u"File", u"pcPCFolderListPath", &config.pcFolderListPath);
    addNumber(keys, u"Setup", u"iSeek1FF", &config.seekForward);
    addNumber(keys, u"Setup", u"iSeek1RW", &config.seekBackward);
    for (std::size_t index = 0; index < config.rates.size(); ++index) {
        addNumber(keys, u"PlaybackRate", format(u"rw.rate.%d", {std::int64_t(index)}), &config.rates[index]);
    }
    for (std::size_t index = 0; index < config.sizes.size(); ++index) {
        addNumber(keys, u"ScreenSize", format(u"rw.size.%d", {std::int64_t(index)}), &config.sizes[index]);
    }
    addNumber(keys, u"Config", u"iUsePassword", &config.usePassword);
    addText(keys, u"Config", u"pcPassword", &config.password);
    addNumber(keys, u"Config", u"iUseMouse", &config.useMouse);
    addNumber(keys, u"Config", u"iUseMouseScale", &config.mouseScale);
    addNumber(keys, u"Config", u"iLiveTimeOutSec", &config.liveTimeoutSec);
    addNumber(keys, u"Config", u"iServerLog", &config.serverLog);
    addNumber(keys, u"Config", u"iPortServer", &config.portServer);
    addNumber(keys, u"Config", u"iPortHttp", &config.portHttp);
    addNumber(keys, u"Config", u"iPortMouse", &config.portMouse);
    addNumber(keys, u"Config", u"iUseWeb", &config.useWeb);
    addNumber(keys, u"Config", u"iPortWeb", &config.portWeb);
    addNumber(keys, u"Config", u"iUseWebLan", &config.useWebLan);
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
            problems.push_back({binding.section, binding.key, std::move(text)});
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
    config.useWeb = -1;
    config.portWeb = 11924;
    config.useWebLan = 0;
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
