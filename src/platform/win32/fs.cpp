// SPDX-License-Identifier: MIT
// Directory enumeration, path kinds, folders, moves and file times on Windows.
#include "platform/fs.h"

#include <algorithm>

#include "platform/open_folder.h"
#include "platform/utf.h"
#include "platform/win32/win_util.h"

namespace tvr::platform {

namespace {

using win32::HandleCloser;
using win32::widePath;

// How long after its last change a folder counts as quiet: beyond the coarsest time stamps (2 s).
constexpr FileTime kStampSettleTime = 3 * 10000000LL;

// What an open handle names, links already followed by the open.
bool handleInformation(std::u16string_view path, BY_HANDLE_FILE_INFORMATION* info) {
    HandleCloser file{win32::openExisting(path, FILE_READ_ATTRIBUTES)};
    return file.valid() && ::GetFileInformationByHandle(file.handle, info);
}

// The path the file system itself gives an existing file or folder (links followed, its own
// case, no "\\?\" prefix); empty when it cannot be opened.
std::u16string finalPath(std::u16string_view path) {
    HandleCloser file{win32::openExisting(path, FILE_READ_ATTRIBUTES)};
    if (!file.valid()) return {};
    std::wstring buffer(32768, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(file.handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                               FILE_NAME_NORMALIZED);
    if (length == 0 || length >= buffer.size()) return {};
    std::wstring_view text(buffer.data(), length);
    if (text.starts_with(L"\\\\?\\UNC\\")) return u"\\\\" + win32::fromWide(text.substr(8));
    if (text.starts_with(L"\\\\?\\")) return win32::fromWide(text.substr(4));
    return win32::fromWide(text);
}

// Called after each chunk of a copy across volumes; a cancelled copy's target is deleted by Windows.
DWORD CALLBACK moveProgress(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE,
                            LPVOID data) {
    const StopQuery& stop = *static_cast<const StopQuery*>(data);
    return stop() ? PROGRESS_CANCEL : PROGRESS_CONTINUE;
}

}  // namespace

PathKind pathKind(std::u16string_view path) {
    if (path.empty()) return PathKind::Missing;
    noteFolderRequest(FolderRequest::kExamine);
    DWORD attributes = ::GetFileAttributesW(widePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A link reports its own attributes; what it points at decides, as stat does on POSIX.
        BY_HANDLE_FILE_INFORMATION info{};
        if (!handleInformation(path, &info)) return PathKind::Missing;
        attributes = info.dwFileAttributes;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder : PathKind::File;
}

bool fileIdentity(std::u16string_view path, FileIdentity* identity) {
    if (path.empty()) return false;
    noteFolderRequest(FolderRequest::kExamine);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!handleInformation(path, &info)) return false;
    identity->device = info.dwVolumeSerialNumber;
    identity->node = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

std::vector<std::uint64_t> pseudoFileSystemDevices() { return {}; }

bool folderStamp(std::u16string_view folder, FolderStamp* stamp) {
    if (folder.empty()) return false;
    noteFolderRequest(FolderRequest::kExamine);
    return win32::stampOfFolder(folder, stamp);
}

bool win32::stampOfFolder(std::u16string_view folder, FolderStamp* stamp) {
    HandleCloser file{win32::openExisting(folder, FILE_READ_ATTRIBUTES)};
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO times{};
    if (!file.valid() || !::GetFileInformationByHandle(file.handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        !::GetFileInformationByHandleEx(file.handle, FileBasicInfo, &times, sizeof times)) {
        return false;
    }
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    // NTFS moves a folder's last-write time when an entry is added, removed or renamed. The file
    // index and the change time tell a folder put in place of another, whose write and creation
    // times may be the same (tunnelling, or a copy that keeps times).
    stamp->device = info.dwVolumeSerialNumber;
    stamp->node = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    stamp->changed = static_cast<FileTime>(times.ChangeTime.QuadPart);
    stamp->written = win32::fromFiletime(info.ftLastWriteTime);
    stamp->quiet = stamp->written + kStampSettleTime < win32::fromFiletime(now);
    return true;
}

bool enumerateFolder(std::u16string_view folder, const std::function<bool(const DirEntry&)>& onEntry,
                     std::size_t* undecodable) {
    if (folder.empty()) return false;
    noteFolderRequest(FolderRequest::kRead);
    std::wstring pattern = widePath(folder);
    if (pattern.back() != L'/' && pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                       FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        // A drive root has no "." entry, so an empty one finds nothing at all.
        return ::GetLastError() == ERROR_FILE_NOT_FOUND && pathKind(folder) == PathKind::Folder;
    }
    bool stopped = false;
    do {
        std::wstring_view name(found.cFileName);
        if (name == L"." || name == L"..") continue;
        DirEntry item;
        item.name = win32::fromWide(name);
        if (hasUnpairedSurrogate(item.name)) {
            if (undecodable != nullptr) ++*undecodable;
            continue;
        }
        item.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        item.writeTime = win32::fromFiletime(found.ftLastWriteTime);
        stopped = !onEntry(item);
    } while (!stopped && ::FindNextFileW(search, &found));
    DWORD error = stopped ? ERROR_NO_MORE_FILES : ::GetLastError();
    ::FindClose(search);
    return error == ERROR_NO_MORE_FILES;
}

bool enumerateFolderNames(std::u16string_view folder, const std::function<bool(const DirEntry&)>& onEntry,
                          std::size_t* undecodable) {
    // The find data carries the folder flag already, so the names cost no more than the full walk.
    return enumerateFolder(
        folder,
        [&](const DirEntry& entry) {
            DirEntry named{entry.name, entry.isFolder, 0};
            return onEntry(named);
        },
        undecodable);
}

std::u16string canonicalPath(std::u16string_view path) {
    if (path.empty()) return {};
    // Absolute, "." and ".." resolved, every "/" made "\".
    std::wstring full(32768, L'\0');
    DWORD length = ::GetFullPathNameW(widePath(path).c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size()) return std::u16string(path);
    full.resize(length);
    const std::size_t cut = full.find_last_of(L'\\');
    if (cut == std::wstring::npos || cut + 1 == full.size()) return win32::fromWide(full);
    std::u16string folder = finalPath(win32::fromWide(std::wstring_view(full).substr(0, cut + 1)));
    if (folder.empty()) return win32::fromWide(full);
    // The file itself is never opened: Windows refuses to replace a file while any handle is open
    // on it, so a look at it from one thread would fail another thread's save. Its name as the
    // folder stores it (case included) comes from the folder's listing.
    std::wstring name = full.substr(cut + 1);
    if (name.find_first_of(L"*?") == std::wstring::npos) {
        WIN32_FIND_DATAW found{};
        HANDLE search = ::FindFirstFileExW(full.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
        if (search != INVALID_HANDLE_VALUE) {
            name = found.cFileName;
            ::FindClose(search);
        }
    }
    if (folder.back() != u'\\') folder += u'\\';
    return folder + win32::fromWide(name);
}

bool restrictToOwner(std::u16string_view folder) { return !folder.empty(); }

bool makeFolder(std::u16string_view path) {
    return !path.empty() && ::CreateDirectoryW(widePath(path).c_str(), nullptr) != 0;
}

bool removeFolder(std::u16string_view path) { return !path.empty() && ::RemoveDirectoryW(widePath(path).c_str()) != 0; }

bool moveNoOverwrite(std::u16string_view from, std::u16string_view to, const StopQuery& stop) {
    if (from.empty() || to.empty()) return false;
    // Without MOVEFILE_REPLACE_EXISTING an existing target is refused; a file is copied across volumes.
    return ::MoveFileWithProgressW(widePath(from).c_str(), widePath(to).c_str(), stop ? moveProgress : nullptr,
                                   const_cast<StopQuery*>(&stop), MOVEFILE_COPY_ALLOWED) != 0;
}

bool removeFile(std::u16string_view path) { return !path.empty() && ::DeleteFileW(widePath(path).c_str()) != 0; }

bool getFileTimes(std::u16string_view path, FileTimes* times) {
    if (path.empty()) return false;
    HandleCloser file{win32::openExisting(path, GENERIC_READ)};
    FILETIME creation{};
    FILETIME access{};
    FILETIME write{};
    if (!file.valid() || !::GetFileTime(file.handle, &creation, &access, &write)) return false;
    if (times != nullptr) {
        times->creation = win32::fromFiletime(creation);
        times->access = win32::fromFiletime(access);
        times->write = win32::fromFiletime(write);
    }
    return true;
}

bool setFileTimes(std::u16string_view path, const FileTimes& times) {
    if (path.empty()) return false;
    HandleCloser file{win32::openExisting(path, FILE_WRITE_ATTRIBUTES)};
    if (!file.valid()) return false;
    FILETIME creation = win32::toFiletime(times.creation);
    FILETIME access = win32::toFiletime(times.access);
    FILETIME write = win32::toFiletime(times.write);
    // A null pointer leaves that time as it is, which is what a 0 file time means here.
    return ::SetFileTime(file.handle, times.creation != 0 ? &creation : nullptr, times.access != 0 ? &access : nullptr,
                         times.write != 0 ? &write : nullptr) != 0;
}

std::int64_t fileSize(std::u16string_view path) {
    if (path.empty()) return -1;
    HandleCloser file{win32::openExisting(path, FILE_READ_ATTRIBUTES)};
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || !::GetFileInformationByHandle(file.handle, &info)) return -1;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
}

std::u16string openedPath(std::u16string_view path) {
    // GetFullPathNameW is the rewrite every open applies before the file system sees the name;
    // a "\\?\" path skips it there and comes back unchanged here.
    std::wstring full(32768, L'\0');
    DWORD length = ::GetFullPathNameW(widePath(path).c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size()) return {};
    full.resize(length);
    // The file system then opens a short name ("SECRET~1.MP4", in either form) as the file it
    // belongs to ("secret.mp4x"), whose long name only the existing file can tell. A name that
    // is not there opens nothing, and its full path is the answer. Wine's GetLongPathNameW leaves
    // a "\\?\C:\..." path as it is, so the drive path after the prefix is the one expanded.
    constexpr std::wstring_view kPrefix = L"\\\\?\\";
    const bool prefixed =
        full.size() > kPrefix.size() + 2 && full.starts_with(kPrefix) && full[kPrefix.size() + 1] == L':';
    const std::wstring drivePath = prefixed ? full.substr(kPrefix.size()) : full;
    std::wstring longName(32768, L'\0');
    length = ::GetLongPathNameW(drivePath.c_str(), longName.data(), static_cast<DWORD>(longName.size()));
    if (length == 0 || length >= longName.size()) return win32::fromWide(full);
    longName.resize(length);
    return win32::fromWide(prefixed ? std::wstring(kPrefix) + longName : longName);
}

bool backslashIsSeparator() { return true; }

std::u16string displayPath(std::u16string_view path) {
    std::u16string shown(path);
    std::replace(shown.begin(), shown.end(), u'/', u'\\');
    return shown;
}

std::u16string canonicalFolder(std::u16string_view path) {
    if (path.empty() || pathKind(path) != PathKind::Folder) return {};
    return finalPath(path);
}

}  // namespace tvr::platform
