// SPDX-License-Identifier: MIT
// Whole-file reads, atomic replacement and the append-only log file on POSIX.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <random>
#include <string_view>
#include <vector>

#include "platform/fs.h"
#include "platform/posix/posix_util.h"
#include "platform/sequential_reader.h"
#include "platform/utf.h"

namespace tvr::platform {

namespace {

using posix::nativePath;
using posix::retryOnEintr;
using posix::writeAll;

// The temporary file of an atomic write: "." + the file's name + this + six characters of mkstemp.
constexpr std::string_view kTempInfix = ".tmp-";
constexpr std::size_t kTempUniqueChars = 6;
// The mode of the files the program makes: read and written by their owner only.
constexpr mode_t kPrivateFileMode = 0600;

bool isAtomicWriteTemp(std::string_view name) {
    if (name.size() < 1 + 1 + kTempInfix.size() + kTempUniqueChars || name.front() != '.') return false;
    std::string_view infix = name.substr(name.size() - kTempUniqueChars - kTempInfix.size(), kTempInfix.size());
    if (infix != kTempInfix) return false;
    for (char c : name.substr(name.size() - kTempUniqueChars)) {
        bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alnum) return false;
    }
    return true;
}

// Replacing a symbolic link by rename would cut the link; write to the file it names instead.
std::string resolveLinkTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::unique_ptr<char, void (*)(void*)> resolved(::realpath(path.c_str(), nullptr), ::free);
    return resolved ? std::string(resolved.get()) : path;
}

std::atomic<FolderFlushHook> folderFlushHook{nullptr};

// The new name of a renamed file lives in its folder: until the folder is flushed, a power cut
// can bring back the old file. A folder this program may write in but not read, or a file system
// that cannot flush a folder, keeps the name as well as it can; only a failed flush fails.
bool flushFolder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno == EACCES || errno == EPERM;
    const bool flushed = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    if (FolderFlushHook hook = folderFlushHook.load()) hook(platform::fromUtf8(folder));
    return flushed;
}

thread_local WriteFault tLastWriteFault = WriteFault::kNone;

WriteFault faultOf(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return WriteFault::kPermission;
        case EROFS:
            return WriteFault::kReadOnlyFileSystem;
        case ENOSPC:
        case EDQUOT:
            return WriteFault::kNoSpace;
        case EISDIR:
            return WriteFault::kIsFolder;
        case ENOENT:
        case ENOTDIR:
            return WriteFault::kNoFolder;
        default:
            return WriteFault::kOther;
    }
}

// Notes errno as this thread's last write fault; returns false for the caller to pass on.
bool failWrite() {
    tLastWriteFault = faultOf(errno);
    return false;
}

// The file a write through the path reaches: every link followed, also one whose target does not
// exist yet (a write creates it there); false for a loop of links.
bool followLinks(std::string path, std::string* reached) {
    constexpr int kMaxLinks = 40;
    for (int link = 0; link < kMaxLinks; ++link) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            *reached = path;
            return true;
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return false;
        target.resize(static_cast<std::size_t>(length));
        const std::size_t slash = path.rfind('/');
        path = target.front() == '/' || slash == std::string::npos ? target : path.substr(0, slash + 1) + target;
    }
    return false;
}

// Creates "." + name + ".tmp-" + six letters or digits beside the file (the clean-up's naming), with
// the mode less the umask; -1 when none can be made.
int createTempBeside(const std::string& target, mode_t mode, std::string* temp) {
    static constexpr char kChars[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    thread_local std::mt19937 random{std::random_device{}()};
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string unique;
        for (std::size_t i = 0; i < kTempUniqueChars; ++i) unique += kChars[random() % (sizeof kChars - 1)];
        *temp = folder + "." + name + std::string(kTempInfix) + unique;
        const int fd =
            retryOnEintr([&] { return ::open(temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode); });
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

WriteFault lastWriteFault() { return tLastWriteFault; }

WriteFault probeFolderWrite(std::u16string_view folder) {
    std::string temp = nativePath(folder);
    if (!temp.empty() && temp.back() != '/') temp += '/';
    // Named as writeFileAtomic names its temporary files, so the start-up clean-up removes one
    // that a killed process left.
    temp += ".tvr-write-check" + std::string(kTempInfix) + std::string(kTempUniqueChars, 'X');
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return faultOf(errno);
    // One byte needs a block of its own: a full file system refuses it.
    bool ok = writeAll(fd, "\n") && ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    ::unlink(temp.c_str());
    return ok ? WriteFault::kNone : faultOf(error);
}

void setFolderFlushHook(FolderFlushHook hook) { folderFlushHook.store(hook); }

ReadStatus readFileBytesUpTo(std::u16string_view path, std::uint64_t maxBytes, std::string* bytes) {
    if (path.empty() || bytes == nullptr) return ReadStatus::kCannotRead;
    int fd = posix::openRegularFile(nativePath(path), 0);
    if (fd < 0) return ReadStatus::kCannotRead;
    std::string content;
    struct stat st {};
    ::fstat(fd, &st);
    const auto size = static_cast<std::uint64_t>(std::max<off_t>(st.st_size, 0));
    if (size > maxBytes) {
        ::close(fd);
        return ReadStatus::kTooLarge;
    }
    content.reserve(static_cast<std::size_t>(size));
    char buffer[65536];
    ReadStatus status = ReadStatus::kRead;
    for (;;) {
        if (ReadHook hook = installedReadHook()) hook(sizeof buffer);
        ssize_t got = retryOnEintr([&] { return ::read(fd, buffer, sizeof buffer); });
        if (got == 0) break;
        if (got < 0) {
            status = ReadStatus::kCannotRead;
            break;
        }
        // A file that grows while it is read is held to the same bound.
        if (static_cast<std::uint64_t>(got) > maxBytes - content.size()) {
            status = ReadStatus::kTooLarge;
            break;
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (status == ReadStatus::kRead) *bytes = std::move(content);
    return status;
}

bool writeFileAtomic(std::u16string_view path, std::string_view bytes) {
    tLastWriteFault = WriteFault::kNone;
    if (path.empty()) return false;
    std::string target = resolveLinkTarget(nativePath(path));
    std::size_t slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = folder + "." + name + std::string(kTempInfix) + std::string(kTempUniqueChars, 'X');
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return failWrite();
    // Keep the permissions of the file being replaced. A new file is the user's alone: the
    // settings hold the password, and the lists and stores tell what the user watches.
    struct stat st {};
    mode_t mode = ::stat(target.c_str(), &st) == 0 ? st.st_mode & 07777 : kPrivateFileMode;
    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        errno = error;
        return failWrite();
    }
    return flushFolder(folder) || failWrite();
}

int removeAtomicWriteLeftovers(std::u16string_view folder) {
    std::string base = nativePath(folder);
    if (!base.empty() && base.back() != '/') base += '/';
    std::vector<std::string> found;
    enumerateFolder(folder, [&](const DirEntry& entry) {
        std::string name = nativePath(entry.name);
        if (isAtomicWriteTemp(name)) found.push_back(base + name);
        return true;
    });
    int removed = 0;
    for (const std::string& path : found) {
        struct stat st {};
        // Only regular files: a link or folder of that name is not ours.
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(path.c_str()) == 0) ++removed;
    }
    return removed;
}

AppendFile::~AppendFile() { close(); }

bool AppendFile::open(std::u16string_view path, bool* created) {
    close();
    if (path.empty()) return false;
    std::string native = nativePath(path);
    bool isNew = true;
    int fd = retryOnEintr(
        [&] { return ::open(native.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, kPrivateFileMode); });
    if (fd < 0 && errno == EEXIST) {
        isNew = false;
        fd = retryOnEintr([&] { return ::open(native.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC); });
    }
    if (fd < 0) return failWrite();
    handle_ = fd;
    if (created != nullptr) *created = isNew;
    return true;
}

bool AppendFile::write(std::string_view bytes) {
    return isOpen() && (writeAll(static_cast<int>(handle_), bytes) || failWrite());
}

void AppendFile::flush() {
    if (isOpen()) ::fdatasync(static_cast<int>(handle_));
}

void AppendFile::close() {
    if (!isOpen()) return;
    ::close(static_cast<int>(handle_));
    handle_ = -1;
}

OutputFile::~OutputFile() { abandon(); }

OutputFile::Opened OutputFile::open(std::u16string_view path) {
    abandon();
    std::string target;
    // A link's target that is no UTF-8 could not be named again in this layer's text.
    if (path.empty() || !followLinks(nativePath(path), &target) || !isValidUtf8(target)) return Opened::Failed;
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) return Opened::Failed;
    if (exists && S_ISDIR(st.st_mode)) return Opened::Folder;
    if (exists && !S_ISREG(st.st_mode)) {
        // A device or a named pipe takes the bytes as they come; there is nothing to replace.
        const int fd = retryOnEintr([&] { return ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC); });
        if (fd < 0) return Opened::Failed;
        handle_ = fd;
        return Opened::Ok;
    }
    // A file this user may not write is not replaced behind its back.
    if (exists && ::access(target.c_str(), W_OK) != 0) return Opened::Failed;
    std::string temp;
    const int fd = createTempBeside(target, exists ? 0600 : 0666, &temp);
    if (fd < 0) return Opened::Failed;
    handle_ = fd;
    temp_ = fromUtf8(temp);
    target_ = fromUtf8(target);
    if (!exists) return Opened::Ok;
    // The replacement keeps the old file's mode and, where this user may give it (root), its owner.
    if (::fchown(fd, st.st_uid, st.st_gid) != 0 && errno != EPERM) {
        abandon();
        return Opened::Failed;
    }
    if (::fchmod(fd, st.st_mode & 07777) != 0) {
        abandon();
        return Opened::Failed;
    }
    return Opened::Ok;
}

bool OutputFile::write(std::string_view bytes) { return handle_ != -1 && writeAll(static_cast<int>(handle_), bytes); }

bool OutputFile::commit() {
    if (handle_ == -1) return false;
    const int fd = static_cast<int>(handle_);
    handle_ = -1;
    if (temp_.empty()) return ::close(fd) == 0;
    const std::string temp = nativePath(temp_);
    bool ok = ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), nativePath(target_).c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    temp_.clear();
    return ok;
}

void OutputFile::abandon() {
    if (handle_ != -1) ::close(static_cast<int>(handle_));
    handle_ = -1;
    if (!temp_.empty()) ::unlink(nativePath(temp_).c_str());
    temp_.clear();
}

}  // namespace tvr::platform
