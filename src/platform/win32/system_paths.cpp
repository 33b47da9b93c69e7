// SPDX-License-Identifier: MIT
// The executable's own path and the user's Videos folder on Windows.
#include "platform/system_paths.h"

#include <windows.h>
// Defines the known-folder ids here instead of taking them from a uuid library.
#include <initguid.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <string>

#include "platform/win32/win_util.h"

namespace tvr::platform {

std::u16string executablePath() {
    // A path longer than MAX_PATH is cut to the buffer with ERROR_INSUFFICIENT_BUFFER: grow and retry.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return win32::fromWide(std::wstring_view(buffer.data(), length));
        if (buffer.size() >= 32768 * 2) return {};
        buffer.resize(buffer.size() * 2);
    }
}

namespace {

std::u16string knownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::u16string result;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)) && path != nullptr) {
        result = win32::fromWide(path);
    }
    ::CoTaskMemFree(path);
    return result;
}

}  // namespace

std::u16string userConfigFolder() { return knownFolder(FOLDERID_RoamingAppData); }

// The install path would not do: the user picks it in the installer, and a zip may be unpacked
// under Program Files too. Only the installer writes the marker.
bool isInstalledProgramFolder(std::u16string_view folder) {
    std::wstring marker = win32::widePath(folder) + L"\\" + win32::widePath(kInstalledMarkerFileName);
    DWORD attributes = ::GetFileAttributesW(marker.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::u16string_view installedDataFolderName() { return u"TamvikVR"; }

std::u16string userVideosFolder() { return knownFolder(FOLDERID_Videos); }

}  // namespace tvr::platform
