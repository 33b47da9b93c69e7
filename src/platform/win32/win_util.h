// SPDX-License-Identifier: MIT
#pragma once
// Helpers shared by the Windows backend only: native paths, file times and handle ownership.
#include <windows.h>

#include <string>
#include <string_view>

#include "platform/fs.h"

namespace tvr::platform::win32 {

/// The wide path the Win32 API sees; '/' is accepted there as a separator too.
inline std::wstring widePath(std::u16string_view path) { return std::wstring(path.begin(), path.end()); }

/// Wide text back to the layer's UTF-16 strings.
inline std::u16string fromWide(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

inline FileTime fromFiletime(const FILETIME& time) {
    return static_cast<FileTime>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

inline FILETIME toFiletime(FileTime time) {
    FILETIME out;
    out.dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(time) & 0xFFFFFFFFu);
    out.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(time) >> 32);
    return out;
}

/// Closes a file handle when it goes out of scope.
struct HandleCloser {
    HANDLE handle;
    ~HandleCloser() {
        if (handle != INVALID_HANDLE_VALUE && handle != nullptr) ::CloseHandle(handle);
    }
    bool valid() const { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }
};

/// Every open shares read, write and delete, so a video being served never blocks a rename or
/// a delete by the user, as the POSIX backend never does.
inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

/// Opens an existing file or folder (folders need backup semantics) with the given access.
inline HANDLE openExisting(std::u16string_view path, DWORD access, DWORD flags = 0) {
    return ::CreateFileW(widePath(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
}

/// The folder's stamp, read through a handle opened on it; notes no folder request (the callers
/// do). False when it is no folder or cannot be opened.
bool stampOfFolder(std::u16string_view folder, FolderStamp* stamp);

/// Writes all bytes to a handle; false on the first failure.
inline bool writeAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
        DWORD put = 0;
        if (!::WriteFile(handle, bytes.data(), chunk, &put, nullptr) || put == 0) return false;
        bytes.remove_prefix(put);
    }
    return true;
}

}  // namespace tvr::platform::win32
