// SPDX-License-Identifier: MIT
#pragma once
// The media helper: a separate library shipped beside the program, loaded at start and
// released at exit. Only its creation, close and release are called; the rest of the system
// works the same without it.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dynamic_library.h"

namespace tvr::media {

/// The library's entry points, in the order they are looked up.
inline constexpr std::array<const char*, 15> kEntryPointNames = {"Zentro_CreateNoUnity",
                                                                 "Zentro_Release",
                                                                 "Zentro_OpenA",
                                                                 "Zentro_OpenInfoA",
                                                                 "Zentro_Close",
                                                                 "Zentro_OpenDevice",
                                                                 "Zentro_CloseDevice",
                                                                 "Zentro_GetVideoW",
                                                                 "Zentro_GetVideoH",
                                                                 "Zentro_GetValue",
                                                                 "Zentro_Play",
                                                                 "Zentro_Stop",
                                                                 "Zentro_Pause",
                                                                 "Zentro_GetAudioDeviceNameA",
                                                                 "Zentro_GetFilterListNameA"};

/// The library's file name here: "ZentrovaDirectShow.dll" on Windows, "libZentrovaDirectShow.so" elsewhere.
std::u16string helperLibraryFileName();
/// The places looked in, in order, relative to the program's folder.
std::array<std::u16string, 3> helperLibraryPlaces();

class MediaHelper {
public:
    MediaHelper() = default;
    ~MediaHelper();
    MediaHelper(const MediaHelper&) = delete;
    MediaHelper& operator=(const MediaHelper&) = delete;

    /// Loads the library from the first of its places in the first of folders that loads and
    /// creates its instance; empty on success, else the text to show the user (the helper is
    /// released then).
    std::u16string load(const std::vector<std::u16string>& folders);
    /// Closes and releases the instance and unloads the library; safe to call again.
    void release();
    /// True while an instance exists.
    bool loaded() const { return instance_ != nullptr; }
    /// The file the library was loaded from; empty when none is loaded.
    const std::u16string& libraryPath() const { return libraryPath_; }
    /// True when the library exports kEntryPointNames[index].
    bool hasEntryPoint(std::size_t index) const;

private:
    platform::DynamicLibrary library_;
    std::u16string libraryPath_;
    std::array<void*, kEntryPointNames.size()> entryPoints_{};
    void* instance_ = nullptr;
};

}  // namespace tvr::media
