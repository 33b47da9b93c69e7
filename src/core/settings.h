// SPDX-License-Identifier: MIT
#pragma once
// The settings record and its INI file "TamvikVRServer.ini" (UTF-16LE): defaults, the key order,
// load that fills in missing keys, and save that writes only what changed since load or save.
#include <array>
#include <cstdint>
#include <string>

namespace tvr::core {

enum ChannelType : std::int32_t {
    CHTYPE_PCFOLDER = 0,
    CHTYPE_VRDEVICE = 1,
    CHTYPE_SEARCHLIST = 2,
    CHTYPE_FAVORITELIST = 3,
    CHTYPE_PLAYLIST = 4,
};

inline constexpr int kChannelCount = 8;
inline constexpr char16_t kSettingsFileName[] = u"TamvikVRServer.ini";

struct S_CHANNEL {
    std::int32_t iType = 0;
    std::u16string pcPath;
    bool operator==(const S_CHANNEL&) const = default;
};

struct S_CONFIG {
    std::array<S_CHANNEL, kChannelCount> channels;
    std::u16string pcExt;
    std::u16string pcSearchFolder1;
    std::u16string pcTrimPath;
    std::u16string pcVRFormatPath;
    std::u16string pcWordListPath;
    std::u16string pcPCFolderListPath;
    std::int32_t iSeek1FF = 0;
    std::int32_t iSeek1RW = 0;
    std::array<std::int32_t, 6> rates{};
    std::array<std::int32_t, 3> sizes{};
    std::int32_t iUsePassword = 0;
    std::u16string pcPassword;
    std::int32_t iUseMouse = 0;
    std::int32_t iUseMouseScale = 0;
    std::int32_t iPortServer = 0;
    std::int32_t iPortHttp = 0;
    std::int32_t iPortMouse = 0;
    std::int32_t iLiveTimeOutSec = 0;
    std::int32_t iServerLog = 0;
    bool operator==(const S_CONFIG&) const = default;
};

/// The record filled with every default value.
S_CONFIG defaultConfig();

/// The settings record of the process with its snapshot (values as last loaded or saved).
class SettingsStore {
public:
    explicit SettingsStore(std::u16string filePath) : path_(std::move(filePath)) {}
    /// Fills defaults, creates a missing file (UTF-16LE) and writes missing or empty keys; false when
    /// the file can neither be found nor created.
    bool load();
    /// Writes every value that differs from the snapshot; false when the file cannot be created.
    bool save();
    S_CONFIG& config() { return config_; }
    const S_CONFIG& config() const { return config_; }
    const S_CONFIG& snapshot() const { return snapshot_; }
    const std::u16string& path() const { return path_; }

private:
    std::u16string path_;
    S_CONFIG config_ = defaultConfig();
    S_CONFIG snapshot_ = defaultConfig();
};

/// A window rectangle as kept in the settings file.
struct WindowRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const WindowRect&) const = default;
};
/// Writes "mrcWnd.rcLeft" and its siblings with "%8d" in the section.
bool writeWindowRect(std::u16string_view file, std::u16string_view section, const WindowRect& rect);
/// Reads the four keys; false (rect unchanged) when any is missing or empty.
bool readWindowRect(std::u16string_view file, std::u16string_view section, WindowRect* rect);
/// Reads a key with the U+0001 default into capacityBytes / 2 - 1 characters; false when missing.
bool readString(std::u16string_view file, std::u16string_view section, std::u16string_view key, std::u16string* value,
                std::size_t capacityBytes);
/// Writes the text cut to capacityBytes / 2 - 1 characters.
bool writeString(std::u16string_view file, std::u16string_view section, std::u16string_view key,
                 std::u16string_view text, std::size_t capacityBytes);

}  // namespace tvr::core
