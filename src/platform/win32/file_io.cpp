// SPDX-License-Identifier: MIT
// Whole-file reads, atomic replacement and the append-only log file on Windows.
#include <atomic>
#include <string>
#include <vector>

#include "platform/fs.h"
#include "platform/sequential_reader.h"
#include "platform/win32/win_util.h"

namespace tvr::platform {

namespace {

bool isAtomicWriteTemp(std::u16string_view name) {
    constexpr std::u16string_view kInfix = u".tmp-";
    constexpr std::size_t kUnique = 6;
    if (name.size() < 2 + kInfix.size() + kUnique || name.front() != u'.') return false;
    if (name.substr(name.size() - kUnique - kInfix.size(), kInfix.size()) != kInfix) return false;
    for (char16_t c : name.substr(name.size() - kUnique)) {
        bool alnum = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        if (!alnum) return false;
    }
    return true;
}

using win32::HandleCloser;
using win32::widePath;

std::atomic<unsigned> tempCounter{0};
std::atomic<FolderFlushHook> folderFlushHook{nullptr};

// The folder part of a path, separator included; empty for a bare name.
std::wstring folderOf(const std::wstring& path) {
    std::size_t cut = path.find_last_of(L"/\\");
    if (cut == std::wstring::npos) cut = path.find(L':');
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

// Windows refuses to replace a file while any handle is open on it, even one that shares
// delete: a reader of the same file, a virus scanner or the search indexer holds one for a
// moment. Such a refusal is waited out for a while before the write counts as failed.
bool replaceFile(const std::wstring& temp, const std::wstring& target) {
    constexpr int kAttempts = 40;
    constexpr DWORD kPauseMs = 25;
    for (int attempt = 1;; ++attempt) {
        if (::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = ::GetLastError();
        const bool held = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
        if (!held || attempt == kAttempts) return false;
        ::Sleep(kPauseMs);
    }
}

thread_local WriteFault tLastWriteFault = WriteFault::kNone;

WriteFault faultOf(DWORD error) {
    switch (error) {
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return WriteFault::kPermission;
        case ERROR_WRITE_PROTECT:
            return WriteFault::kReadOnlyFileSystem;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return WriteFault::kNoSpace;
        case ERROR_DIRECTORY:
            return WriteFault::kIsFolder;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_FILE_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
            return WriteFault::kNoFolder;
        default:
            return WriteFault::kOther;
    }
}

// Notes GetLastError() as this thread's last write fault; returns false for the caller to pass on.
bool failWrite() {
    tLastWriteFault = faultOf(::GetLastError());
    return false;
}

// The same naming as on POSIX, "." + name + ".tmp-" + six letters or digits, so the start-up
// clean-up knows its own leftovers by the same rule on both platforms.
std::wstring tempBeside(const std::wstring& target) {
    std::uint64_t unique = std::uint64_t{::GetCurrentProcessId()} * 7919u + tempCounter.fetch_add(1);
    std::wstring suffix;
    for (int i = 0; i < 6; ++i, unique /= 36) suffix += L"0123456789abcdefghijklmnopqrstuvwxyz"[unique % 36];
    std::wstring name = target.substr(target.find_last_of(L"/\\") + 1);
    return folderOf(target) + L"." + name + L".tmp-" + suffix;
}

}  // namespace

WriteFault lastWriteFault() { return tLastWriteFault; }

WriteFault probeFolderWrite(std::u16string_view folder) {
    std::wstring temp = widePath(folder);
    if (!temp.empty() && temp.back() != L'/' && temp.back() != L'\\') temp += L'\\';
    // Named as writeFileAtomic names its temporary files, so the start-up clean-up removes one
    // that a killed process left; Windows removes it when the handle closes.
    temp += L".tvr-write-check.tmp-" + std::to_wstring(1000000 + ::GetCurrentProcessId() % 1000000).substr(1);
    HandleCloser file{::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr)};
    if (!file.valid()) return faultOf(::GetLastError());
    // One byte needs a cluster of its own: a full volume refuses it.
    if (!win32::writeAll(file.handle, "\n") || !::FlushFileBuffers(file.handle)) return faultOf(::GetLastError());
    return WriteFault::kNone;
}

ReadStatus readFileBytesUpTo(std::u16string_view path, std::uint64_t maxBytes, std::string* bytes) {
    if (path.empty() || bytes == nullptr) return ReadStatus::kCannotRead;
    HandleCloser file{::CreateFileW(widePath(path).c_str(), GENERIC_READ, win32::kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr)};
    // Only files on disk: a named pipe or a device would make the read wait on whoever writes to it.
    if (!file.valid() || ::GetFileType(file.handle) != FILE_TYPE_DISK) return ReadStatus::kCannotRead;
    std::string content;
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file.handle, &size) && size.QuadPart > 0) {
        if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes) return ReadStatus::kTooLarge;
        content.reserve(static_cast<std::size_t>(size.QuadPart));
    }
    char buffer[65536];
    for (;;) {
        if (ReadHook hook = installedReadHook()) hook(sizeof buffer);
        DWORD got = 0;
        if (!::ReadFile(file.handle, buffer, sizeof buffer, &got, nullptr)) return ReadStatus::kCannotRead;
        if (got == 0) break;
        // A file that grows while it is read is held to the same bound.
        if (got > maxBytes - content.size()) return ReadStatus::kTooLarge;
        content.append(buffer, got);
    }
    *bytes = std::move(content);
    return ReadStatus::kRead;
}

bool writeFileAtomic(std::u16string_view path, std::string_view bytes) {
    tLastWriteFault = WriteFault::kNone;
    if (path.empty()) return false;
    std::wstring target = widePath(path);
    std::wstring temp = tempBeside(target);
    bool ok = false;
    {
        HandleCloser file{
            ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)};
        if (!file.valid()) return failWrite();
        ok = win32::writeAll(file.handle, bytes) && ::FlushFileBuffers(file.handle);
        if (!ok) failWrite();
    }
    if (ok && !replaceFile(temp, target)) ok = failWrite();
    if (!ok) {
        ::DeleteFileW(temp.c_str());
        return false;
    }
    if (FolderFlushHook hook = folderFlushHook.load()) hook(win32::fromWide(folderOf(target)));
    return true;
}

void setFolderFlushHook(FolderFlushHook hook) { folderFlushHook.store(hook); }

int removeAtomicWriteLeftovers(std::u16string_view folder) {
    std::u16string base(folder);
    if (!base.empty() && base.back() != u'/' && base.back() != u'\\') base += u'/';
    std::vector<std::u16string> found;
    enumerateFolder(folder, [&](const DirEntry& entry) {
        // The names writeFileAtomic gives its temporary files: "." + name + ".tmp-" + six characters.
        if (!entry.isFolder && isAtomicWriteTemp(entry.name)) {
            found.push_back(base + entry.name);
        }
        return true;
    });
    int removed = 0;
    for (const std::u16string& path : found) {
        // Only plain files: a link of that name is not ours (the attributes are the link's own).
        const std::wstring native = widePath(path);
        const DWORD attributes = ::GetFileAttributesW(native.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) continue;
        if (::DeleteFileW(native.c_str())) ++removed;
    }
    return removed;
}

AppendFile::~AppendFile() { close(); }

bool AppendFile::open(std::u16string_view path, bool* created) {
    close();
    if (path.empty()) return false;
    std::wstring native = widePath(path);
    bool isNew = true;
    HANDLE file = ::CreateFileW(native.c_str(), FILE_APPEND_DATA, win32::kShareAll, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_FILE_EXISTS) {
        isNew = false;
        file = ::CreateFileW(native.c_str(), FILE_APPEND_DATA, win32::kShareAll, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (file == INVALID_HANDLE_VALUE) return failWrite();
    handle_ = reinterpret_cast<std::intptr_t>(file);
    if (created != nullptr) *created = isNew;
    return true;
}

bool AppendFile::write(std::string_view bytes) {
    return isOpen() && (win32::writeAll(reinterpret_cast<HANDLE>(handle_), bytes) || failWrite());
}

void AppendFile::flush() {
    if (isOpen()) ::FlushFileBuffers(reinterpret_cast<HANDLE>(handle_));
}

void AppendFile::close() {
    if (!isOpen()) return;
    ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
}

OutputFile::~OutputFile() { abandon(); }

OutputFile::Opened OutputFile::open(std::u16string_view path) {
    abandon();
    if (path.empty()) return Opened::Failed;
    const std::wstring native = widePath(path);
    const DWORD attributes = ::GetFileAttributesW(native.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Opened::Folder;
    // Opening what is there (links followed) neither cuts nor changes it, and tells what it is.
    HANDLE existing =
        ::CreateFileW(native.c_str(), GENERIC_WRITE, win32::kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
    std::wstring target = native;
    if (existing == INVALID_HANDLE_VALUE) {
        // A link whose target is missing would be replaced by the rename, not followed.
        const bool danglingLink =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (::GetLastError() != ERROR_FILE_NOT_FOUND || danglingLink) return Opened::Failed;
    } else if (::GetFileType(existing) != FILE_TYPE_DISK) {
        // A device (NUL, CON) or a pipe takes the bytes as they come; there is nothing to replace.
        handle_ = reinterpret_cast<std::intptr_t>(existing);
        return Opened::Ok;
    } else {
        std::wstring buffer(32768, L'\0');
        const DWORD length = ::GetFinalPathNameByHandleW(existing, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                         FILE_NAME_NORMALIZED);
        ::CloseHandle(existing);
        if (length == 0 || length >= buffer.size()) return Opened::Failed;
        target = buffer.substr(0, length);
    }
    const std::wstring temp = tempBeside(target);
    HANDLE file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Opened::Failed;
    handle_ = reinterpret_cast<std::intptr_t>(file);
    temp_ = win32::fromWide(temp);
    target_ = win32::fromWide(target);
    return Opened::Ok;
}

bool OutputFile::write(std::string_view bytes) {
    return handle_ != -1 && win32::writeAll(reinterpret_cast<HANDLE>(handle_), bytes);
}

bool OutputFile::commit() {
    if (handle_ == -1) return false;
    HANDLE file = reinterpret_cast<HANDLE>(handle_);
    handle_ = -1;
    if (temp_.empty()) return ::CloseHandle(file) != 0;
    const std::wstring temp = widePath(temp_);
    bool ok = ::FlushFileBuffers(file) != 0;
    ok = ::CloseHandle(file) != 0 && ok;
    ok = ok && replaceFile(temp, widePath(target_));
    if (!ok) ::DeleteFileW(temp.c_str());
    temp_.clear();
    return ok;
}

void OutputFile::abandon() {
    if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
    if (!temp_.empty()) ::DeleteFileW(widePath(temp_).c_str());
    temp_.clear();
}

}  // namespace tvr::platform
