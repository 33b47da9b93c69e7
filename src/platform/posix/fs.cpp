// SPDX-License-Identifier: MIT
// Directory enumeration, path kinds, folders, moves and file times on POSIX.
#include "platform/fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "platform/posix/posix_util.h"
#include "platform/time.h"

namespace tvr::platform {

namespace {

using posix::nativePath;
using posix::retryOnEintr;

constexpr FileTime kUnixEpochAsFileTime = 116444736000000000LL;

FileTime toFileTime(const struct timespec& ts) { return fileTimeFromUnix(ts.tv_sec, ts.tv_nsec); }

// A file time of 0 means "leave unchanged", as SetFileTime treats a zeroed time.
struct timespec toTimespec(FileTime time) {
    struct timespec ts {};
    if (time == 0) {
        ts.tv_nsec = UTIME_OMIT;
        return ts;
    }
    std::int64_t ticks = time - kUnixEpochAsFileTime;
    std::int64_t seconds = ticks / 10000000;
    std::int64_t rest = ticks % 10000000;
    if (rest < 0) {
        rest += 10000000;
        --seconds;
    }
    ts.tv_sec = static_cast<time_t>(seconds);
    ts.tv_nsec = static_cast<long>(rest * 100);
    return ts;
}

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0) ::close(fd);
    }
};

int openForReading(const std::string& path) {
    // Never waits on a named pipe: only the descriptor's metadata or a regular file's bytes are used.
    return retryOnEintr([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); });
}

// Copies a regular file to a new target (never replacing one) and removes the source: what a
// move across file systems amounts to.
bool copyThenRemove(const std::string& from, const std::string& to) {
    FdCloser in{openForReading(from)};
    if (in.fd < 0) return false;
    struct stat st {};
    if (::fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    FdCloser out{
        retryOnEintr([&] { return ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777); })};
    if (out.fd < 0) return false;
    char buffer[65536];
    bool ok = true;
    for (;;) {
        ssize_t got = retryOnEintr([&] { return ::read(in.fd, buffer, sizeof buffer); });
        if (got == 0) break;
        if (got < 0) {
            ok = false;
            break;
        }
        ok = posix::writeAll(out.fd, std::string_view(buffer, static_cast<std::size_t>(got)));
        if (!ok) break;
    }
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (ok) ok = ::futimens(out.fd, times) == 0 && ::fsync(out.fd) == 0;
    if (!ok) {
        ::unlink(to.c_str());
        return false;
    }
    return ::unlink(from.c_str()) == 0;
}

}  // namespace

PathKind pathKind(std::u16string_view path) {
    struct stat st {};
    if (path.empty() || ::stat(nativePath(path).c_str(), &st) != 0) return PathKind::Missing;
    return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::File;
}

bool fileIdentity(std::u16string_view path, FileIdentity* identity) {
    struct stat st {};
    if (path.empty() || ::stat(nativePath(path).c_str(), &st) != 0) return false;
    identity->device = static_cast<std::uint64_t>(st.st_dev);
    identity->node = static_cast<std::uint64_t>(st.st_ino);
    return true;
}

bool enumerateFolder(std::u16string_view folder, const std::function<bool(const DirEntry&)>& onEntry) {
    std::string base = nativePath(folder);
    if (base.empty()) return false;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(base.c_str()), ::closedir);
    if (!dir) return false;
    if (base.back() != '/') base += '/';
    for (;;) {
        errno = 0;
        struct dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) return errno == 0;
        std::string_view name(entry->d_name);
        if (name == "." || name == "..") continue;
        struct stat st {};
        // Entries deleted since the listing and dangling links are skipped, as if never there.
        if (::stat((base + entry->d_name).c_str(), &st) != 0) continue;
        DirEntry item;
        item.name = platform::fromUtf8(name);
        item.isFolder = S_ISDIR(st.st_mode);
        item.writeTime = toFileTime(st.st_mtim);
        if (!onEntry(item)) return true;
    }
}

bool makeFolder(std::u16string_view path) { return !path.empty() && ::mkdir(nativePath(path).c_str(), 0777) == 0; }

bool moveNoOverwrite(std::u16string_view from, std::u16string_view to) {
    if (from.empty() || to.empty()) return false;
    std::string source = nativePath(from);
    std::string target = nativePath(to);
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
    int error = errno;
    if (error == EXDEV) return copyThenRemove(source, target);
    if (error != EINVAL && error != ENOSYS) return false;
    // File systems without RENAME_NOREPLACE: check first; the gap is as narrow as it can be made.
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0 || errno != ENOENT) return false;
    if (::rename(source.c_str(), target.c_str()) == 0) return true;
    return errno == EXDEV && copyThenRemove(source, target);
}

bool removeFile(std::u16string_view path) { return !path.empty() && ::unlink(nativePath(path).c_str()) == 0; }

bool fileWriteTime(std::u16string_view path, FileTime* time) {
    FileTimes times;
    if (!getFileTimes(path, &times)) return false;
    if (time != nullptr) *time = times.write;
    return true;
}

bool getFileTimes(std::u16string_view path, FileTimes* times) {
    if (path.empty()) return false;
    FdCloser file{openForReading(nativePath(path))};
    if (file.fd < 0) return false;
    struct statx sx {};
    if (::statx(file.fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) return false;
    FileTimes result;
    result.access = fileTimeFromUnix(sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec);
    result.write = fileTimeFromUnix(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
    // Not every file system keeps a birth time; the last write is the closest stand-in.
    result.creation =
        (sx.stx_mask & STATX_BTIME) ? fileTimeFromUnix(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec) : result.write;
    if (times != nullptr) *times = result;
    return true;
}

bool setFileTimes(std::u16string_view path, const FileTimes& times) {
    if (path.empty()) return false;
    std::string native = nativePath(path);
    struct timespec values[2] = {toTimespec(times.access), toTimespec(times.write)};
    // With nothing to change the kernel may skip the lookup; a missing file must still fail.
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0) return false;
    return ::utimensat(AT_FDCWD, native.c_str(), values, 0) == 0;
}

std::int64_t fileSize(std::u16string_view path) {
    struct stat st {};
    if (path.empty() || ::stat(nativePath(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

bool backslashIsSeparator() { return false; }

}  // namespace tvr::platform
