// SPDX-License-Identifier: MIT
#pragma once
// The settings record and its INI file "TamvikVRServer.ini" (UTF-16LE): defaults, the key order,
// load that fills in missing keys, and save that writes only what changed since load or save.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tvr::core {

enum ChannelType : std::int32_t {
    kChannelPcFolder = 0,
    kChannelVrDevice = 1,
    kChannelSearchList = 2,
    kChannelFavoriteList = 3,
    kChannelPlaylist = 4,
};

inline constexpr int kChannelCount = 8;
inline constexpr char16_t kSettingsFileName[] = u"TamvikVRServer.ini";

struct ChannelConfig {
    std::int32_t type = 0;
    std::u16string path;
    bool operator==(const ChannelConfig&) const = default;
};

struct Config {
    std::array<ChannelConfig, kChannelCount> channels;
    std::u16string extensions;
    std::u16string searchFolder1;
    std::u16string trimPath;
    std::u16string vrFormatPath;
    std::u16string wordListPath;
    std::u16string pcFolderListPath;
    std::int32_t seekForward = 0;
    std::int32_t seekBackward = 0;
    std::array<std::int32_t, 6> rates{};
    std::array<std::int32_t, 3> sizes{};
    std::int32_t usePassword = 0;
    std::u16string password;
    std::int32_t useMouse = 0;
    std::int32_t mouseScale = 0;
    std::int32_t portServer = 0;
    std::int32_t portHttp = 0;
    std::int32_t portMouse = 0;
    std::int32_t liveTimeoutSec = 0;
    std::int32_t serverLog = 0;
    std::int32_t useWeb = -1;  // the web page: 1 on, 0 off, -1 as the program has it (on without a window)
    std::int32_t portWeb = 0;
    std::int32_t useWebLan = 0;  // 1: the web page listens on every IPv4 address (needs a web password)
    bool operator==(const Config&) const = default;
};

/// A number key whose text in the file is not a number: the default stays in use, the file keeps the text.
struct SettingProblem {
    std::u16string section;
    std::u16string key;
    std::u16string text;
};

/// The record filled with every default value.
Config defaultConfig();

/// Reads the settings from a settings file's bytes into config, adding every missing or empty key
/// to the bytes with its default; true when the bytes changed.
bool readSettingsText(std::string& bytes, Config* config);

/// The settings record of the process with its snapshot (values as last loaded or saved).
class SettingsStore {
public:
    explicit SettingsStore(std::u16string filePath) : path_(std::move(filePath)) {}
    /// Fills defaults, creates a missing file (UTF-16LE) and writes missing or empty keys (one
    /// atomic replacement of the file); false when the file can neither be found nor created.
    bool load();
    /// Writes every value that differs from the snapshot in one atomic replacement of the file;
    /// false when the file cannot be created or written, or a value is refused.
    bool save();
    Config& config() { return config_; }
    const Config& config() const { return config_; }
    const Config& snapshot() const { return snapshot_; }
    const std::u16string& path() const { return path_; }
    /// The number keys the last load could not read, in file order.
    const std::vector<SettingProblem>& problems() const { return problems_; }
    /// The problem of the key in section [Config], or null when it was read.
    const SettingProblem* configProblem(std::u16string_view key) const;

private:
    std::u16string path_;
    Config config_ = defaultConfig();
    Config snapshot_ = defaultConfig();
    std::vector<SettingProblem> problems_;
};

/// A window rectangle as kept in the settings file.
struct WindowRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const WindowRect&) const = default;
};
/// Writes "mrcWnd.rcLeft" and its siblings with "%8d" in the section, all four in one replace.
bool writeWindowRect(std::u16string_view file, std::u16string_view section, const WindowRect& rect);
/// Reads the four keys; false (rect unchanged) when any is missing or empty.
bool readWindowRect(std::u16string_view file, std::u16string_view section, WindowRect* rect);
/// The key's text, or nothing when the file, section or key is missing (an empty value exists).
std::optional<std::u16string> readExistingKey(std::u16string_view file, std::u16string_view section,
                                              std::u16string_view key);
/// Reads a key with the U+0001 default into capacityBytes / 2 - 1 characters; false when missing.
bool readString(std::u16string_view file, std::u16string_view section, std::u16string_view key, std::u16string* value,
                std::size_t capacityBytes);
/// Writes the text cut to capacityBytes / 2 - 1 characters.
bool writeString(std::u16string_view file, std::u16string_view section, std::u16string_view key,
                 std::u16string_view text, std::size_t capacityBytes);

}  // namespace tvr::core
